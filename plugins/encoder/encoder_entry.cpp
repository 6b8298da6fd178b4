// The exported C entry points of BrenwickEncoder.so. One file is open at a time; the calls
// come from one thread (the production run), the lock only guards against misuse.

#include "brenwick_encoder.h"
#include "encoder_session.h"
#include "encoder_settings.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <string>

namespace {

using pictavo::encoder::EncoderArguments;
using pictavo::encoder::EncoderSession;
using pictavo::encoder::EncoderSettings;

std::mutex gMutex;
std::string gLastError;
// Declared after the texts so that a file still open when the library is unloaded is
// finished first.
std::unique_ptr<EncoderSession> gSession;

// Nothing may leave the library as an exception: a failed allocation becomes a result code.
template <typename Body> int guarded(Body body)
{
    try {
        return body();
    } catch (const std::exception& e) {
        try {
            gLastError = e.what();
        } catch (...) {
        }
        std::fprintf(stderr, "BrenwickEncoder: %s\n", e.what());
        return kEncoderEncodeFailed;
    }
}

int report(int code, const std::string& text)
{
    gLastError = text;
    std::fprintf(stderr, "BrenwickEncoder: %s\n", text.c_str());
    return code;
}

} // namespace

extern "C" {

int initEncoder(int width, int height, const char* outputPath, const char* /*yuvPath*/,
                const char* audioPath, const char* audioCodec, const char* audioBitrate,
                const char* audioSampleRate, const char* audioChannels, const char* videoCodec,
                const char* videoBitrate, const char* frameSize, const char* frameRate)
{
    std::lock_guard lock(gMutex);
    return guarded([&] {
        gLastError.clear();
        if (gSession) {
            // A file nobody closed: finish it so that it stays playable.
            std::string error;
            const int result = gSession->finish(error);
            gSession.reset();
            if (result != kEncoderOk)
                std::fprintf(stderr, "BrenwickEncoder: %s\n", error.c_str());
        }

        EncoderArguments arguments;
        arguments.width = width;
        arguments.height = height;
        arguments.outputPath = outputPath;
        arguments.audioPath = audioPath;
        arguments.audioCodec = audioCodec;
        arguments.audioBitrate = audioBitrate;
        arguments.audioSampleRate = audioSampleRate;
        arguments.audioChannels = audioChannels;
        arguments.videoCodec = videoCodec;
        arguments.videoBitrate = videoBitrate;
        arguments.frameSize = frameSize;
        arguments.frameRate = frameRate;

        EncoderSettings settings;
        std::string error;
        int result = pictavo::encoder::resolveSettings(arguments, settings, error);
        if (result != kEncoderOk)
            return report(result, error);
        result = EncoderSession::open(settings, gSession, error);
        if (result != kEncoderOk)
            return report(result, error);
        return int(kEncoderOk);
    });
}

int EncOneFrame(const unsigned char* yuvFrame)
{
    std::lock_guard lock(gMutex);
    return guarded([&] {
        if (!gSession)
            return report(kEncoderNotOpen, "EncOneFrame: no video file is open");
        if (!yuvFrame)
            return report(kEncoderBadArgument, "EncOneFrame: no frame was given");
        std::string error;
        const int result = gSession->submit(yuvFrame, error);
        if (result != kEncoderOk)
            return report(result, error);
        gLastError.clear();
        return int(kEncoderOk);
    });
}

int closeEncoder(void)
{
    std::lock_guard lock(gMutex);
    return guarded([&] {
        if (!gSession)
            return report(kEncoderNotOpen, "closeEncoder: no video file is open");
        std::string error;
        const int result = gSession->finish(error);
        gSession.reset();
        if (result != kEncoderOk)
            return report(result, error);
        gLastError.clear();
        return int(kEncoderOk);
    });
}

const char* encoderLastError(void)
{
    std::lock_guard lock(gMutex);
    return gLastError.c_str();
}

} // extern "C"
