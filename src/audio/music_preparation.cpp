#include "audio/music_preparation.h"

#include "audio/audio_converter.h"
#include "audio/music_list.h"
#include "core/log.h"
#include "core/result_codes.h"
#include "model/project.h"
#include "model/slideshow.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>

namespace pictavo {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Every track needs a converted file of its own that is neither its source nor the joined
// file, or one conversion would overwrite another file the job still reads.
bool convertedNamesUsable(const std::vector<AudioTrack>& tracks, const std::string& joinedPath)
{
    std::set<std::string> names;
    for (const AudioTrack& track : tracks) {
        if (track.mp2Path.empty() || track.mp2Path == joinedPath ||
            !names.insert(track.mp2Path).second) {
            writeLog("music track '" + track.name + "' has no converted file of its own");
            return false;
        }
    }
    for (const AudioTrack& track : tracks) {
        if (names.count(track.originalPath) != 0 || track.originalPath == joinedPath) {
            writeLog("music file " + track.originalPath + " would be overwritten");
            return false;
        }
    }
    return true;
}

// Appends the whole file at path to out. False when it cannot be read or written.
bool appendFile(std::FILE* out, const std::string& path)
{
    const File in(std::fopen(path.c_str(), "rb"));
    if (!in) {
        writeLog("cannot open converted file " + path);
        return false;
    }
    char block[64 * 1024];
    for (;;) {
        const size_t got = std::fread(block, 1, sizeof block, in.get());
        if (got > 0 && std::fwrite(block, 1, got, out) != got) {
            writeLog("cannot write the joined music file");
            return false;
        }
        if (got < sizeof block)
            break;
    }
    if (std::ferror(in.get())) {
        writeLog("cannot read converted file " + path);
        return false;
    }
    return true;
}

int convertTracks(const std::vector<AudioTrack>& tracks, StopWatch& stop)
{
    for (const AudioTrack& track : tracks) {
        int result = kResultOk;
        {
            const AudioConverter converter;
            if (!converter.loaded()) {
                writeLog("Load audio converter module error");
                writeLog(converter.loadError());
                return kResultFailed;
            }
            writeLog("Load audio converter module ok");
            if (!converter.hasConversion()) {
                // Joining whatever an earlier run left under the converted names would give
                // the wrong music, so a library that cannot convert fails the preparation.
                writeLog("audio converter module has no xToMp2");
                return kResultFailed;
            }
            writeLog("convering mp3 file " + track.originalPath);
            result = converter.convert(track.originalPath, track.mp2Path, &StopWatch::query, &stop);
            writeLog("converted mp3 file resault: " + std::to_string(result));
            if (result != kResultOk) {
                const std::string reason = converter.lastError();
                if (!reason.empty())
                    writeLog(reason);
            }
        }
        if (result != kResultOk)
            return result;
        if (stop.stopRequested())
            return kResultStopped;
    }
    return kResultOk;
}

int joinTracks(const std::vector<AudioTrack>& tracks, const std::string& joinedPath,
               StopWatch& stop, int repetitions)
{
    writeLog("begin join all mp2 file");
    File out(std::fopen(joinedPath.c_str(), "wb"));
    if (!out) {
        writeLog("cannot create the joined music file " + joinedPath);
        return kResultFailed;
    }
    for (int round = 0; round < repetitions; ++round) {
        for (const AudioTrack& track : tracks) {
            if (!appendFile(out.get(), track.mp2Path))
                return kResultFailed;
            if (stop.stopRequested())
                return kResultStopped;
        }
    }
    if (std::fclose(out.release()) != 0) {
        writeLog("cannot write the joined music file " + joinedPath);
        return kResultFailed;
    }
    for (const AudioTrack& track : tracks) {
        std::error_code error;
        std::filesystem::remove(track.mp2Path, error);
    }
    writeLog("end join all mp2 file");
    return kResultOk;
}

} // namespace

int musicRepetitions(const std::vector<AudioTrack>& tracks, bool loopAudio, int projectSeconds)
{
    long long length = 0;
    for (const AudioTrack& track : tracks)
        length += track.durationSeconds;
    if (!loopAudio || tracks.empty() || length <= 0 || projectSeconds <= 0)
        return 1;
    return static_cast<int>(projectSeconds / length + 1);
}

int projectPlayingSeconds(const Project& project)
{
    long long frames = 0;
    for (int i = 0; i < project.slideshowCount(); ++i)
        frames += project.slideshow(i)->totalFrames();
    return static_cast<int>(frames /
                            static_cast<double>(frameRate(project.defaults().videoStandard)));
}

int prepareMusic(const std::vector<AudioTrack>& tracks, const std::string& joinedPath,
                 AutoResetEvent* stopEvent, int repetitions)
{
    if (!convertedNamesUsable(tracks, joinedPath))
        return kResultFailed;
    StopWatch stop(stopEvent);
    const int result = convertTracks(tracks, stop);
    if (result != kResultOk)
        return result;
    return joinTracks(tracks, joinedPath, stop, repetitions);
}

int prepareMusic(const Project& project, AutoResetEvent* stopEvent)
{
    const Slideshow* first = project.slideshow(0);
    if (first == nullptr)
        return kResultOk;
    const int repetitions = musicRepetitions(first->music(), project.preferences().loopAudio,
                                             projectPlayingSeconds(project));
    return prepareMusic(first->music(), first->mp2Path(), stopEvent, repetitions);
}

int prepareJobMusic(Project& project, AutoResetEvent* stopEvent)
{
    Slideshow* first = project.slideshow(0);
    if (first == nullptr)
        return kResultOk;
    const std::string& tempFolder = project.folders().tempFolder;
    std::error_code error;
    std::filesystem::create_directories(tempFolder, error);
    assignJobAudioPaths(*first, tempFolder, "mp2");
    project.shareFirstMusicFile();
    writeLog("Begin make slideshow audio");
    const int result = prepareMusic(project, stopEvent);
    writeLog("End make slideshow audio return value:" + std::to_string(result));
    return result;
}

} // namespace pictavo
