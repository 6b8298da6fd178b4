#include "encoder_fixture.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>

namespace pictavo::test {

const EncoderLibrary& encoderLibrary()
{
    static const EncoderLibrary library = [] {
        EncoderLibrary lib;
        const char* dir = std::getenv("PICTAVO_APP_DIR");
        const std::string path = std::string(dir ? dir : ".") + "/BrenwickEncoder.so";
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            lib.loadError = why ? why : path;
            return lib;
        }
        lib.init = reinterpret_cast<InitEncoderFunction>(dlsym(handle, "initEncoder"));
        lib.encodeFrame = reinterpret_cast<EncOneFrameFunction>(dlsym(handle, "EncOneFrame"));
        lib.close = reinterpret_cast<CloseEncoderFunction>(dlsym(handle, "closeEncoder"));
        lib.lastError =
            reinterpret_cast<EncoderLastErrorFunction>(dlsym(handle, "encoderLastError"));
        return lib;
    }();
    return library;
}

int EncoderCall::init() const
{
    const std::string size =
        frameSize.empty() ? std::to_string(width) + "x" + std::to_string(height) : frameSize;
    return encoderLibrary().init(width, height, output.c_str(), "/nonexistent/menu_pic/in.yuv",
                                 audio.c_str(), audioCodec.c_str(), audioBitrate.c_str(),
                                 sampleRate.c_str(), channels.c_str(), videoCodec.c_str(),
                                 videoBitrate.c_str(), size.c_str(), frameRate.c_str());
}

std::vector<uint8_t> solidFrame(int width, int height, Yuv colour)
{
    const Yuv colours[4] = {colour, colour, colour, colour};
    return quadrantFrame(width, height, colours);
}

std::vector<uint8_t> quadrantFrame(int width, int height, const Yuv (&colours)[4])
{
    std::vector<uint8_t> frame(size_t(width) * height * 3 / 2);
    uint8_t* y = frame.data();
    uint8_t* u = y + size_t(width) * height;
    uint8_t* v = u + size_t(width / 2) * (height / 2);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            y[size_t(row) * width + col] = colours[(row >= height / 2) * 2 + (col >= width / 2)].y;
    for (int row = 0; row < height / 2; ++row)
        for (int col = 0; col < width / 2; ++col) {
            const Yuv& c = colours[(row >= height / 4) * 2 + (col >= width / 4)];
            u[size_t(row) * (width / 2) + col] = c.u;
            v[size_t(row) * (width / 2) + col] = c.v;
        }
    return frame;
}

std::vector<uint8_t> movingFrame(int width, int height, int number)
{
    std::vector<uint8_t> frame(size_t(width) * height * 3 / 2, 128);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            frame[size_t(row) * width + col] = uint8_t(16 + (col * 2 + row + number * 7) % 200);
    return frame;
}

std::vector<uint8_t> noiseFrame(int width, int height, uint32_t seed)
{
    std::vector<uint8_t> frame(size_t(width) * height * 3 / 2);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& b : frame) {
        state = state * 1664525u + 1013904223u;
        b = uint8_t(16 + (state >> 24) % 220);
    }
    return frame;
}

bool writeToneWav(const std::string& path, double seconds, int sampleRate, int channels)
{
    const uint32_t frames = uint32_t(seconds * sampleRate);
    const uint32_t dataBytes = frames * channels * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(uint16_t(channels));
    u32(uint32_t(sampleRate));
    u32(uint32_t(sampleRate * channels * 2));
    u16(uint16_t(channels * 2));
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto s = int16_t(std::lround(16000.0 * std::sin(2 * M_PI * 440.0 * i / sampleRate)));
        for (int c = 0; c < channels; ++c)
            u16(uint16_t(s));
    }
    return bool(out);
}

int encodeFrames(int width, int height, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t> frame = movingFrame(width, height, i);
        if (const int result = encoderLibrary().encodeFrame(frame.data()))
            return result;
    }
    return 0;
}

} // namespace pictavo::test
