// Feeds arbitrary project and preferences files to their loaders inside a scratch folder. The
// first byte chooses the loader (even: project file, odd: preferences file); the rest is the
// file. Photos named by relative paths are found among two small pictures in the scratch
// folder, so the loader gets past addPhoto; "%APP%" in the input stands for the scratch folder,
// which is the application and writable folder. After a project loads it is saved again and read
// back, which must give the same text.
//
// Seeds: fuzz/corpus/project_file. Run for example
//   build/fuzzprg/fuzz/project_file_fuzz -max_total_time=600 <work corpus> fuzz/corpus/project_file
#include "core/app_paths.h"
#include "core/notifier.h"
#include "model/file_names.h"
#include "model/preferences_file.h"
#include "model/project.h"
#include "model/project_file.h"
#include "model/working_folders.h"
#include "profiles/profile_catalogue.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace pictavo {
namespace {

class SilentNotifier : public Notifier {
public:
    using Notifier::showMessage;
    MessageAnswer showMessage(const std::string&, const std::string&, MessageButtons) override
    {
        return MessageAnswer::Ok;
    }
};

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Scratch {
    std::string root;
    SilentNotifier silent;
    ProfileCatalogue catalogue;

    Scratch()
    {
        char pattern[] = "/tmp/pictavo-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made)
            std::abort();
        root = made;
        setApplicationFolder(root);
        setWritableFolder(root);
        installNotifier(&silent);
        for (const char* name : {"a.png", "b.bmp"}) {
            QImage picture(6, 4, QImage::Format_RGB32);
            picture.fill(0xff336699);
            picture.save(QString::fromStdString(root + "/" + name));
        }
    }
    ~Scratch()
    {
        std::error_code error;
        std::filesystem::remove_all(root, error);
    }
};

void addTrack(Slideshow& slideshow, const std::string& path, const std::string&)
{
    AudioTrack track;
    track.originalPath = path;
    track.name = fileNameOf(path);
    slideshow.music().push_back(track);
}

void prepare(Project& project, Scratch& scratch)
{
    project.setOutputProfiles(scratch.catalogue);
    project.resourcePaths() = ResourcePaths::fromFolders(scratch.root, scratch.root);
    project.preferences().appPath = scratch.root;
    useWorkingFolder(project, scratch.root + "/Project_1");
}

} // namespace
} // namespace pictavo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace pictavo;
    static Scratch scratch;
    if (size < 1)
        return 0;
    std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);
    // "%APP%" stands for the scratch folder, so inputs can name the program's own files.
    for (std::size_t at = file.find("%APP%"); at != std::string::npos;
         at = file.find("%APP%", at + scratch.root.size()))
        file.replace(at, 5, scratch.root);

    Project project;
    prepare(project, scratch);
    if ((data[0] & 1) != 0) {
        writeBytes(project.resourcePaths().preferencesFile, file);
        readPreferences(project);
        return 0;
    }

    const std::string projectFile = scratch.root + "/fuzz.prg";
    writeBytes(projectFile, file);
    project.setProjectFile(projectFile);
    if (!loadProject(project, addTrack))
        return 0;
    isProjectTempFolder(project.defaults().tempFolder, project.folders().workingFolder);

    // What was loaded saves, and the saved file loads back to the same text.
    const std::string savedFile = scratch.root + "/saved.prg";
    project.setProjectFile(savedFile);
    project.setModified(true);
    if (!saveProject(project, false))
        std::abort();
    const std::string saved = readBytes(savedFile);
    Project again;
    prepare(again, scratch);
    again.setProjectFile(savedFile);
    if (!loadProject(again, addTrack))
        std::abort();
    if (projectDocumentText(again) != saved) {
        std::fprintf(stderr, "saved project does not read back the same\n");
        std::abort();
    }
    return 0;
}
