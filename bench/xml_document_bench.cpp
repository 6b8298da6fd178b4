// Speed of the XML document layer on project-sized documents: parsing a ~1 MB project file
// and building a project of 1,000 photos element by element.
#include "core/xml_document.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using pictavo::XmlDocument;

// One photo block the way the project writer lays it out: about 15 child elements.
void addPhoto(XmlDocument& doc, int i)
{
    const std::string n = std::to_string(i);
    doc.addElement("pic");
    doc.setAttribute("index", n);
    doc.enterElement();
    doc.addElement("strOriginalFile", "/home/user/Pictures/Holiday 2024/IMG_" + n + ".jpg");
    doc.addElement("m_strTempFile", "/home/user/pictavo/Project_1/temp/IMG_" + n + ".bmp");
    doc.addElement("ZIRE_SETTING");
    doc.enterElement();
    doc.addElement("IS_NTSC", "1");
    doc.addElement("WOKRING_PATH", "/home/user/pictavo/Project_1");
    doc.addElement("TEMP_PATH", "/home/user/pictavo/Project_1/temp");
    doc.addElement("OUTPUT_PATH", "/home/user/Videos");
    doc.addElement("ZIRE_EFFECT");
    doc.enterElement();
    doc.addElement("SINGLE_EFFECT_TIME", "5");
    doc.addElement("SINGLE_EFFECT_ID", std::to_string(i % 20));
    doc.addElement("SINGLE_EFFECT_INIT_TYPE", "0");
    doc.addElement("TRANSITIO_EFFECT_TIME", "2");
    doc.addElement("TRANSITION");
    doc.setAttribute("type", std::to_string(i % 18));
    doc.addChildElement("param", "3");
    doc.addChildElement("param", "1");
    doc.leaveElement();
    doc.leaveElement();
    doc.addElement("General");
    doc.enterElement();
    doc.addElement("BrightnessPos", "12");
    doc.addElement("ContrastPos", "4");
    doc.leaveElement();
    doc.leaveElement();
}

std::string buildProject(int photos)
{
    XmlDocument doc;
    doc.addElement("zovudid");
    doc.enterElement();
    doc.addElement("workingPath", "/home/user/pictavo/Project_1");
    doc.addElement("cuteslideshows");
    doc.enterElement();
    doc.addElement("slideshow");
    doc.enterElement();
    doc.addElement("name", "Holiday & friends <2024>");
    doc.addElement("cover index", "0");
    for (int i = 0; i < photos; ++i)
        addPhoto(doc, i);
    doc.leaveElement();
    doc.leaveElement();
    doc.addElement("zireMenu");
    return doc.documentText();
}

void BM_ParseProjectDocument(benchmark::State& state)
{
    const std::string text = buildProject(1270); // about 1 MB
    XmlDocument doc;
    for (auto _ : state) {
        const bool ok = doc.setText(text);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseProjectDocument)->Unit(benchmark::kMillisecond);

void BM_BuildProjectDocument(benchmark::State& state)
{
    const int photos = static_cast<int>(state.range(0));
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string text = buildProject(photos);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_BuildProjectDocument)->Arg(1000)->Unit(benchmark::kMillisecond);

// Reading every photo back through the cursor, as the project loader does.
void BM_ReadProjectDocument(benchmark::State& state)
{
    const std::string text = buildProject(1000);
    for (auto _ : state) {
        XmlDocument doc;
        doc.setText(text);
        doc.findElement("zovudid");
        doc.enterElement();
        doc.findElement("cuteslideshows");
        doc.enterElement();
        doc.findElement("slideshow");
        doc.enterElement();
        std::size_t total = 0;
        while (doc.findElement("pic")) {
            doc.enterElement();
            doc.findElement("strOriginalFile");
            total += doc.elementData().size();
            doc.findElement("ZIRE_SETTING");
            doc.enterElement();
            doc.findElement("ZIRE_EFFECT");
            doc.enterElement();
            doc.findElement("TRANSITION");
            total += doc.attribute("type").size();
            doc.leaveElement();
            doc.leaveElement();
            doc.leaveElement();
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadProjectDocument)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
