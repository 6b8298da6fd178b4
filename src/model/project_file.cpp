#include "model/project_file.h"

#include "core/decimal.h"
#include "core/log.h"
#include "core/notifier.h"
#include "core/result_codes.h"
#include "core/xml_document.h"
#include "effects/transition_settings.h"
#include "model/preferences_file.h"
#include "model/project.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace pictavo {

namespace fs = std::filesystem;

namespace {

// The lengths the program offers for a photo; values beyond them (hand-edited files) are
// brought inside so that the timing arithmetic stays within range.
constexpr int kMinDisplaySeconds = 1;
constexpr int kMaxDisplaySeconds = 60;
constexpr int kMaxTransitionSeconds = 10;

const char* const kAdjustmentNames[] = {"BrightnessPos", "ContrastPos", "SharpenTimes",
                                        "SoftenTimes"};

int* adjustmentField(PhotoItem& photo, int index)
{
    int* const fields[] = {&photo.brightnessPos, &photo.contrastPos, &photo.sharpenTimes,
                           &photo.softenTimes};
    return fields[index];
}

// The first maxCharacters characters of a UTF-8 text; a character is never cut in two.
std::string firstCharacters(const std::string& text, std::size_t maxCharacters)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (characters == maxCharacters)
                return text.substr(0, i);
            ++characters;
        }
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// Writing

class ProjectWriter {
public:
    bool add(const char* name, const std::string& data = {})
    {
        ok_ = ok_ && document_.addElement(name, data);
        return ok_;
    }
    bool add(const char* name, int value) { return add(name, std::to_string(value)); }
    void enter() { ok_ = ok_ && document_.enterElement(); }
    void leave() { ok_ = ok_ && document_.leaveElement(); }

    void writeProject(const Project& project)
    {
        add(kProjectRootElement);
        enter();
        add("Preference File", project.resourcePaths().preferencesFile);
        add("Working Path", project.folders().workingFolder);
        add("Temp Path", project.defaults().tempFolder);
        add("OutPut Path", project.defaults().outputFolder);
        add("cuteslideshows");
        enter();
        for (int i = 0; i < project.slideshowCount(); ++i)
            writeSlideshow(*project.slideshow(i));
        leave();
        add("zireMenu");
        enter();
        leave();
    }

    bool ok() const { return ok_; }
    const std::string& text() const { return document_.documentText(); }

private:
    void writeSlideshow(const Slideshow& slideshow)
    {
        add("slideshow");
        enter();
        add("name", slideshow.name());
        add("cover index", slideshow.coverIndex());
        for (const AudioTrack& track : slideshow.music()) {
            add("audio");
            enter();
            add("originalFileName", track.originalPath);
            leave();
        }
        for (int i = 0; i < slideshow.photoCount(); ++i)
            writePhoto(*slideshow.photo(i));
        leave();
    }

    void writePhoto(const PhotoItem& photo)
    {
        add("pic");
        enter();
        add("strOriginalFile", photo.originalPath);
        add("m_strTempFile", photo.workingPath);
        const PhotoSettings& settings = photo.settings;
        add("ZIRE_SETTING");
        enter();
        add("IS_NTSC", settings.videoStandard);
        add("WOKRING_PATH", settings.workingPathField);
        add("TEMP_PATH", settings.tempFolder);
        add("OUTPUT_PATH", settings.outputFolder);
        add("ZIRE_EFFECT");
        enter();
        const PhotoEffect& effect = settings.effect;
        add("SINGLE_EFFECT_TIME", effect.displaySeconds);
        add("SINGLE_EFFECT_ID", effect.imageEffectId);
        add("SINGLE_EFFECT_INIT_TYPE", effect.imageEffectMode);
        add("TRANSITIO_EFFECT_TIME", effect.transitionSeconds);
        if (ok_) {
            const auto alpha = TransitionSettings::createDefault(kTransitionAlpha);
            const TransitionSettings& transition = effect.transition ? *effect.transition : *alpha;
            ok_ = transition.writeXml(document_);
        }
        leave();
        leave();

        add("General");
        enter();
        const int adjustments[] = {photo.brightnessPos, photo.contrastPos, photo.sharpenTimes,
                                   photo.softenTimes};
        for (int i = 0; i < 4; ++i) {
            if (adjustments[i] > 0)
                add(kAdjustmentNames[i], adjustments[i]);
        }
        leave();

        for (const PhotoEdit& edit : photo.edits)
            writeEdit(edit);
        leave();
    }

    void writeEdit(const PhotoEdit& edit)
    {
        if (const TextOverlay* text = edit.textOverlay();
            edit.kind == PhotoEditKind::Text && text) {
            add("Text");
            enter();
            add("TextContent", text->text);
            add("x", text->x);
            add("y", text->y);
            add("cx", text->cx);
            add("cy", text->cy);
            add("FontName", text->faceName);
            add("FontHeight", text->fontHeight);
            add("FontColor", text->colour);
            add("FontItalic", text->italic);
            add("FontWeight", text->fontWeight);
            leave();
        } else if (const ImageOverlay* image = edit.imageOverlay();
                   edit.kind == PhotoEditKind::Image && image) {
            add("Image");
            enter();
            add("ImageName", image->imageName);
            add("x", image->x);
            add("y", image->y);
            add("cx", image->cx);
            add("cy", image->cy);
            leave();
        } else if (const CropEdit* crop = edit.cropEdit();
                   edit.kind == PhotoEditKind::Crop && crop) {
            add("Crop");
            enter();
            add("upleft.x", crop->upleft.x);
            add("upleft.y", crop->upleft.y);
            add("downright.x", crop->downright.x);
            add("downright.y", crop->downright.y);
            leave();
        } else {
            const char* name = photoEditElementName(edit.kind);
            // A text, picture or crop entry without its payload has nothing to record.
            if (edit.kind != PhotoEditKind::Text && edit.kind != PhotoEditKind::Image &&
                edit.kind != PhotoEditKind::Crop && name[0] != '\0')
                add(name);
        }
    }

    XmlDocument document_;
    bool ok_ = true;
};

// ---------------------------------------------------------------------------------------------
// Reading

class ProjectReader {
public:
    ProjectReader(Project& project, XmlDocument& document, const MusicTrackAdder& addMusic,
                  std::string projectFolder)
        : project_(project), document_(document), addMusic_(addMusic),
          projectFolder_(std::move(projectFolder))
    {
    }

    bool readProject()
    {
        if (!document_.findElement(kProjectRootElement) || !document_.enterElement())
            return false;
        std::string preferencesFile;
        if (!find("Preference File", preferencesFile))
            return false;
        // Only the program's own preferences file is read (and rewritten); a project from
        // elsewhere never points the program at another file.
        if (isOwnPreferencesFile(project_, preferencesFile))
            readPreferences(project_);
        else
            writeLog("the project names the preferences file " + preferencesFile +
                     ", which is not this program's; it is not used");

        std::string working;
        std::string temp;
        std::string output;
        if (!find("Working Path", working) || !find("Temp Path", temp) ||
            !find("OutPut Path", output))
            return false;
        project_.folders().workingFolder = working;
        project_.folders().tempFolder = temp;
        project_.folders().outputFolder = output;
        project_.defaults().tempFolder = temp;
        project_.defaults().outputFolder = output;

        if (!document_.findElement("cuteslideshows"))
            return true;
        do {
            document_.enterElement();
            while (document_.findElement("slideshow")) {
                if (!readSlideshow())
                    return false;
            }
            document_.leaveElement();
        } while (document_.findElement("cuteslideshows"));
        return true;
    }

private:
    bool find(const char* name, std::string& data)
    {
        if (!document_.findElement(name))
            return false;
        data = document_.elementData();
        return true;
    }

    bool findInt(const char* name, int& value)
    {
        std::string data;
        if (!find(name, data))
            return false;
        value = decimalValue(data);
        return true;
    }

    // A path as stored, taken relative to the project file's folder when it is not absolute.
    std::string resolved(const std::string& path) const
    {
        if (path.empty() || path.front() == '/' || projectFolder_.empty())
            return path;
        return (fs::path(projectFolder_) / path).lexically_normal().string();
    }

    bool readSlideshow()
    {
        document_.enterElement();
        std::string name;
        if (!find("name", name))
            return false;
        if (project_.addSlideshow(name) != kResultOk) {
            // A refused name (empty, used twice, one slideshow too many): the whole element
            // is passed over.
            writeLog("slideshow \"" + name + "\" of the project file is not added");
            document_.leaveElement();
            return true;
        }
        const int index = project_.slideshowCount() - 1;
        Slideshow& slideshow = *project_.slideshow(index);
        int cover = 0;
        if (!findInt("cover index", cover))
            return false;
        slideshow.setCoverIndex(cover);

        while (document_.findElement("audio")) {
            document_.enterElement();
            std::string path;
            if (!find("originalFileName", path))
                return false;
            if (addMusic_)
                addMusic_(slideshow, resolved(path), project_.folders().workingFolder);
            document_.leaveElement();
        }
        while (document_.findElement("pic")) {
            if (!readPhoto(slideshow))
                return false;
        }
        if (slideshow.photoCount() == 0)
            project_.removeSlideshow(index);
        else
            slideshow.setCoverIndex(cover);
        document_.leaveElement();
        return true;
    }

    bool readPhoto(Slideshow& slideshow)
    {
        document_.enterElement();
        std::string original;
        if (!find("strOriginalFile", original))
            return false;
        const std::string path = resolved(original);
        if (slideshow.addPhoto(path, project_.defaults()) != kResultOk) {
            writeLog("photo " + path + " of the project file cannot be added");
            document_.leaveElement();
            return true;
        }
        PhotoItem& photo = *slideshow.photo(slideshow.photoCount() - 1);
        std::string working;
        if (find("m_strTempFile", working) && !working.empty())
            photo.workingPath = resolved(working);
        if (!readSettings(photo.settings))
            return false;

        if (document_.findElement("General")) {
            document_.enterElement();
            for (int i = 0; i < 4; ++i) {
                int value = 0;
                if (findInt(kAdjustmentNames[i], value))
                    *adjustmentField(photo, i) = value;
            }
            document_.leaveElement();
        }
        while (document_.findElement()) {
            if (!readEdit(photo))
                return false;
        }
        document_.leaveElement();
        return true;
    }

    bool readSettings(PhotoSettings& settings)
    {
        if (!document_.findElement("ZIRE_SETTING") || !document_.enterElement())
            return false;
        if (!findInt("IS_NTSC", settings.videoStandard) ||
            !find("WOKRING_PATH", settings.workingPathField) ||
            !find("TEMP_PATH", settings.tempFolder) || !find("OUTPUT_PATH", settings.outputFolder))
            return false;
        if (!document_.findElement("ZIRE_EFFECT") || !document_.enterElement())
            return false;
        PhotoEffect& effect = settings.effect;
        int display = 0;
        int id = 0;
        int mode = 0;
        int transition = 0;
        if (!findInt("SINGLE_EFFECT_TIME", display) || !findInt("SINGLE_EFFECT_ID", id) ||
            !findInt("SINGLE_EFFECT_INIT_TYPE", mode) ||
            !findInt("TRANSITIO_EFFECT_TIME", transition))
            return false;
        effect.displaySeconds = std::clamp(display, kMinDisplaySeconds, kMaxDisplaySeconds);
        effect.transitionSeconds = std::clamp(transition, 0, kMaxTransitionSeconds);
        effect.imageEffectId = id >= 0 && id < kImageEffectTypeCount ? id : kImageEffectNone;
        effect.imageEffectMode =
            mode >= 0 && mode < kImageEffectModeCount ? mode : kImageEffectModeNone;
        if (!document_.findElement(kTransitionSettingElement))
            return false;
        std::string error;
        auto value = TransitionSettings::createFromXml(document_, &error);
        if (!value) {
            writeLog("a photo's transition cannot be read: " + error);
            return false;
        }
        effect.transition = std::move(value);
        document_.leaveElement();
        document_.leaveElement();
        return true;
    }

    bool readEdit(PhotoItem& photo)
    {
        const std::string tag = document_.tagName();
        if (tag == "Text") {
            document_.enterElement();
            TextOverlay text;
            if (!find("TextContent", text.text) || !findInt("x", text.x) || !findInt("y", text.y) ||
                !findInt("cx", text.cx) || !findInt("cy", text.cy) ||
                !find("FontName", text.faceName) || !findInt("FontHeight", text.fontHeight) ||
                !findInt("FontColor", text.colour) || !findInt("FontItalic", text.italic) ||
                !findInt("FontWeight", text.fontWeight))
                return false;
            text.faceName = firstCharacters(text.faceName, TextOverlay::kMaxFaceNameLength);
            photo.edits.push_back(PhotoEdit::text(std::move(text)));
            document_.leaveElement();
        } else if (tag == "Image") {
            document_.enterElement();
            ImageOverlay image;
            if (!find("ImageName", image.imageName) || !findInt("x", image.x) ||
                !findInt("y", image.y) || !findInt("cx", image.cx) || !findInt("cy", image.cy))
                return false;
            photo.edits.push_back(PhotoEdit::image(std::move(image)));
            document_.leaveElement();
        } else if (tag == "Crop") {
            document_.enterElement();
            CropEdit crop;
            if (!findInt("upleft.x", crop.upleft.x) || !findInt("upleft.y", crop.upleft.y) ||
                !findInt("downright.x", crop.downright.x) ||
                !findInt("downright.y", crop.downright.y))
                return false;
            photo.edits.push_back(PhotoEdit::crop(crop));
            document_.leaveElement();
        } else {
            for (const PhotoEditKind kind :
                 {PhotoEditKind::Rotate180, PhotoEditKind::RotateLeft90,
                  PhotoEditKind::RotateRight90, PhotoEditKind::FlipHorizontally,
                  PhotoEditKind::FlipVertically}) {
                if (tag == photoEditElementName(kind)) {
                    photo.edits.push_back(PhotoEdit::simple(kind));
                    break;
                }
            }
        }
        return true;
    }

    Project& project_;
    XmlDocument& document_;
    const MusicTrackAdder& addMusic_;
    std::string projectFolder_;
};

bool readProjectFile(Project& project, const MusicTrackAdder& addMusic)
{
    const std::string& path = project.projectFile();
    std::string text;
    if (path.empty() || !readXmlFile(path, text))
        return false;
    XmlDocument document;
    if (!document.setText(text)) {
        writeLog("the project file " + path + " does not parse: " + document.errorText());
        notifier().showMessage("can not set Doc!");
        return false;
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    const std::string folder = error ? std::string() : absolute.parent_path().string();
    ProjectReader reader(project, document, addMusic, folder);
    return reader.readProject();
}

} // namespace

std::string projectDocumentText(const Project& project)
{
    ProjectWriter writer;
    writer.writeProject(project);
    return writer.ok() ? writer.text() : std::string();
}

bool saveProject(Project& project, bool showMessage)
{
    if (!project.modified())
        return false;
    const std::string text = projectDocumentText(project);
    const std::string& path = project.projectFile();
    if (text.empty() || path.empty() || !writeXmlFile(path, text)) {
        writeLog("cannot write the project file " + path);
        return false;
    }
    project.setModified(false);
    if (showMessage)
        notifier().showMessage("Save to '" + path + "' Success!");
    return true;
}

std::string saveAsFileName(const std::string& chosenName)
{
    const std::size_t slash = chosenName.rfind('/');
    const std::size_t dot = chosenName.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (hasExtension && chosenName.compare(dot + 1, std::string::npos, "prg") == 0)
        return chosenName;
    return chosenName + ".prg";
}

bool saveProjectAs(Project& project, const std::string& chosenName)
{
    project.setProjectFile(saveAsFileName(chosenName));
    project.setModified(true);
    return saveProject(project, true);
}

bool loadProject(Project& project, const MusicTrackAdder& addMusic)
{
    const bool read = readProjectFile(project, addMusic);
    // Every photo's settings are in place only now: the totals and the size estimate follow
    // the loaded durations.
    for (int i = 0; i < project.slideshowCount(); ++i)
        project.slideshow(i)->recomputeTiming();
    project.sizeCheck();
    return read;
}

} // namespace pictavo
