#include "audio/music_list.h"

#include "audio/audio_converter.h"
#include "core/app_paths.h"
#include "core/notifier.h"
#include "core/time_text.h"
#include "model/file_names.h"
#include "model/project.h"
#include "model/resource_paths.h"
#include "model/slideshow.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>

namespace pictavo {

namespace {

std::string withoutExtension(const std::string& name)
{
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool fileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void markModified(Project& project)
{
    project.setModified(true);
}

} // namespace

std::string defaultMusicPath()
{
    return ResourcePaths::fromApplicationFolder(applicationFolder()).defaultMusic;
}

std::string illegalMusicMessage(const std::string& path)
{
    return "file:'" + path + "' is not a legal mp3 file, so it will not be added!";
}

void addMusicTrack(Slideshow& slideshow, const std::string& path, const std::string& workingFolder)
{
    if (path.empty() || workingFolder.empty())
        return;
    std::vector<AudioTrack>& tracks = slideshow.music();
    const bool known = std::any_of(tracks.begin(), tracks.end(), [&](const AudioTrack& track) {
        return track.originalPath == path;
    });
    if (known)
        return;

    AudioTrack track;
    track.name = fileNameOf(path);
    track.mp2Path = workingFolder + "/temp/" + safeFileName(withoutExtension(track.name)) + ".mp2";
    track.originalPath = fileExists(path) ? path : defaultMusicPath();
    track.durationSeconds = queryAudioDuration(track.originalPath);
    track.durationText = timeText(track.durationSeconds);
    if (track.durationSeconds != 0)
        tracks.push_back(std::move(track));
    else
        notifier().showMessage(illegalMusicMessage(path));
    updateTrackStarts(tracks);
}

void addDefaultMusic(Slideshow& slideshow, const std::string& workingFolder)
{
    addMusicTrack(slideshow, defaultMusicPath(), workingFolder);
}

bool isMusicFileName(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "mp3" || extension == "mp2" || extension == "wav" || extension == "wma";
}

void addMusicFromDialog(Project& project, const std::vector<std::string>& chosenPaths)
{
    Slideshow* first = project.slideshow(0);
    if (first == nullptr)
        return;
    for (const std::string& path : chosenPaths) {
        if (isMusicFileName(path))
            addMusicTrack(*first, path, project.folders().workingFolder);
    }
    markModified(project);
}

int removeMusicTrack(Project& project, Slideshow& slideshow, int position)
{
    std::vector<AudioTrack>& tracks = slideshow.music();
    if (position < 0 || position >= static_cast<int>(tracks.size()))
        return 1;
    tracks.erase(tracks.begin() + position);
    updateTrackStarts(tracks);
    markModified(project);
    return 0;
}

void moveMusicTrackUp(Project& project, Slideshow& slideshow, int position)
{
    std::vector<AudioTrack>& tracks = slideshow.music();
    if (position < 1 || position >= static_cast<int>(tracks.size()))
        return;
    std::swap(tracks[position], tracks[position - 1]);
    updateTrackStarts(tracks);
    markModified(project);
}

void moveMusicTrackDown(Project& project, Slideshow& slideshow, int position)
{
    std::vector<AudioTrack>& tracks = slideshow.music();
    if (position < 0 || position + 1 >= static_cast<int>(tracks.size()))
        return;
    std::swap(tracks[position], tracks[position + 1]);
    updateTrackStarts(tracks);
    markModified(project);
}

void updateTrackStarts(std::vector<AudioTrack>& tracks)
{
    int start = 0;
    for (AudioTrack& track : tracks) {
        track.startSeconds = start;
        track.startText = timeText(start);
        track.durationText = timeText(track.durationSeconds);
        start += track.durationSeconds;
    }
}

void assignJobAudioPaths(Slideshow& slideshow, const std::string& tempFolder,
                         const std::string& extension)
{
    slideshow.setMusicFile(extension, tempFolder);
    std::vector<AudioTrack>& tracks = slideshow.music();

    // Names that no converted file may take: the joined file, every track's own music file,
    // and the plain names of all tracks (so a numbered name never takes a later one's).
    std::set<std::string> blocked{slideshow.mp2Path()};
    for (const AudioTrack& track : tracks) {
        blocked.insert(track.originalPath);
        blocked.insert(track.mp2Path);
    }
    std::set<std::string> used;
    for (AudioTrack& track : tracks) {
        const bool clash = used.count(track.mp2Path) != 0 || track.mp2Path == slideshow.mp2Path() ||
                           std::any_of(tracks.begin(), tracks.end(), [&](const AudioTrack& t) {
                               return t.originalPath == track.mp2Path;
                           });
        if (clash) {
            const std::string base =
                tempFolder + "/" + safeFileName(withoutExtension(track.name)) + "_";
            for (int number = 2;; ++number) {
                std::string candidate = base + std::to_string(number) + "." + extension;
                if (blocked.count(candidate) == 0 && used.count(candidate) == 0) {
                    track.mp2Path = std::move(candidate);
                    break;
                }
            }
        }
        used.insert(track.mp2Path);
    }
}

} // namespace pictavo
