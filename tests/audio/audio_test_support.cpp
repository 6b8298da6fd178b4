#include "audio_test_support.h"

#include "support/temp_dir.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>

namespace pictavo::test {

namespace {

void putLittleEndian(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// Runs a shell command and returns what it wrote to its standard output; ok is false when it
// failed.
std::string run(const std::string& command, bool& ok)
{
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ok = false;
        return output;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    ok = pclose(pipe) == 0;
    return output;
}

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string extensionOf(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

} // namespace

bool makeToneWav(const std::string& path, double seconds, int rate)
{
    const auto samples = static_cast<uint32_t>(seconds * rate);
    std::string data;
    data.reserve(samples * 2);
    for (uint32_t i = 0; i < samples; ++i) {
        const double value = 0.3 * std::sin(2.0 * std::numbers::pi * 440.0 * i / rate);
        putLittleEndian(data, static_cast<uint16_t>(static_cast<int16_t>(value * 32767)), 2);
    }
    std::string file = "RIFF";
    putLittleEndian(file, 36 + static_cast<uint32_t>(data.size()), 4);
    file += "WAVEfmt ";
    putLittleEndian(file, 16, 4);
    putLittleEndian(file, 1, 2); // PCM
    putLittleEndian(file, 1, 2); // mono
    putLittleEndian(file, static_cast<uint32_t>(rate), 4);
    putLittleEndian(file, static_cast<uint32_t>(rate) * 2, 4);
    putLittleEndian(file, 2, 2);
    putLittleEndian(file, 16, 2);
    file += "data";
    putLittleEndian(file, static_cast<uint32_t>(data.size()), 4);
    file += data;
    return writeFile(path, file);
}

bool encodeSound(const std::string& wavPath, const std::string& targetPath)
{
    const std::string extension = extensionOf(targetPath);
    std::string codec = "libmp3lame -b:a 32k";
    if (extension == "mp2")
        codec = "mp2 -b:a 64k -f mp2";
    else if (extension == "wma")
        codec = "wmav2 -b:a 32k";
    bool ok = false;
    run("ffmpeg -nostdin -hide_banner -v error -y -i " + quoted(wavPath) + " -c:a " + codec + " " +
            quoted(targetPath) + " 2>&1",
        ok);
    return ok;
}

bool makeSound(const std::string& path, double seconds)
{
    if (extensionOf(path) == "wav")
        return makeToneWav(path, seconds);
    const std::string wav = path + ".source.wav";
    const bool ok = makeToneWav(wav, seconds) && encodeSound(wav, path);
    std::remove(wav.c_str());
    return ok;
}

DecodedAudio decodeAudio(const std::string& path)
{
    DecodedAudio audio;
    bool ok = false;
    const std::string report =
        run("ffprobe -v error -count_frames -show_entries "
            "stream=codec_name,sample_rate,channels,nb_read_frames -of default=nw=1 " +
                quoted(path) + " 2>/dev/null",
            ok);
    if (!ok)
        return audio;
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "codec_name") {
            if (++audio.streams == 1)
                audio.codec = value;
        } else if (audio.streams == 1 && key == "sample_rate") {
            audio.sampleRate = std::stoi(value);
        } else if (audio.streams == 1 && key == "channels") {
            audio.channels = std::stoi(value);
        } else if (audio.streams == 1 && key == "nb_read_frames") {
            audio.frames = std::stoll(value);
        }
    }
    const std::string errors =
        run("ffmpeg -nostdin -hide_banner -v error -i " + quoted(path) + " -f null - 2>&1", ok);
    audio.clean = ok && errors.empty();
    return audio;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace pictavo::test
