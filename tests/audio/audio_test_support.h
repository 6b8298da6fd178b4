#pragma once

// Short generated sounds and probes of audio files through the ffmpeg tools.

#include <string>

namespace pictavo::test {

// Writes a mono 16-bit PCM WAV file with a soft tone (a low rate keeps long sounds small).
bool makeToneWav(const std::string& path, double seconds, int rate = 8000);

// Encodes a WAV file with the ffmpeg command: "mp3", "mp2" or "wma" by the target's extension.
bool encodeSound(const std::string& wavPath, const std::string& targetPath);

// A sound file of the given length: a WAV, or a WAV encoded to the target's extension.
bool makeSound(const std::string& path, double seconds);

// What ffprobe finds when it decodes every frame of an audio file.
struct DecodedAudio {
    int streams = 0;
    std::string codec;
    int sampleRate = 0;
    int channels = 0;
    long long frames = 0; // decoded audio frames of the first stream
    bool clean = false;   // ffmpeg decoded the whole file without an error message
};
DecodedAudio decodeAudio(const std::string& path);

// The whole text of a file ("" when it cannot be read).
std::string readText(const std::string& path);

} // namespace pictavo::test
