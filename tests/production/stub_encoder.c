/* A stand-in for the encoder library: it writes no video, it records every call as one line
 * in the file named by PICTAVO_STUB_ENCODER_LOG and answers as told by the environment:
 *   PICTAVO_STUB_INIT_RESULT    result of initEncoder (default 0)
 *   PICTAVO_STUB_REFUSE_FRAME   EncOneFrame refuses the frame with this number (from 1) with 8
 * Built once complete and once without closeEncoder (STUB_WITHOUT_CLOSE). */

#include <stdio.h>
#include <stdlib.h>

#define STUB_EXPORT __attribute__((visibility("default")))

static int framesSeen = 0;
static const char* lastError = "";

static int environmentNumber(const char* name)
{
    const char* text = getenv(name);
    return text != NULL ? atoi(text) : 0;
}

static void record(const char* line)
{
    const char* path = getenv("PICTAVO_STUB_ENCODER_LOG");
    if (path == NULL)
        return;
    FILE* file = fopen(path, "a");
    if (file == NULL)
        return;
    fprintf(file, "%s\n", line);
    fclose(file);
}

STUB_EXPORT int initEncoder(int width, int height, const char* outputPath, const char* yuvPath,
                            const char* audioPath, const char* audioCodec, const char* audioBitrate,
                            const char* audioSampleRate, const char* audioChannels,
                            const char* videoCodec, const char* videoBitrate, const char* frameSize,
                            const char* frameRate)
{
    char line[4096];
    snprintf(line, sizeof line, "init %d|%d|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s", width, height,
             outputPath, yuvPath, audioPath, audioCodec, audioBitrate, audioSampleRate,
             audioChannels, videoCodec, videoBitrate, frameSize, frameRate);
    record(line);
    framesSeen = 0;
    const int result = environmentNumber("PICTAVO_STUB_INIT_RESULT");
    lastError = result != 0 ? "stub refuses to start" : "";
    return result;
}

STUB_EXPORT int EncOneFrame(const unsigned char* frame)
{
    (void)frame;
    ++framesSeen;
    if (framesSeen == environmentNumber("PICTAVO_STUB_REFUSE_FRAME")) {
        record("frame refused");
        lastError = "stub refuses the frame";
        return 8;
    }
    record("frame");
    return 0;
}

#ifndef STUB_WITHOUT_CLOSE
STUB_EXPORT int closeEncoder(void)
{
    record("close");
    return 0;
}
#endif

STUB_EXPORT const char* encoderLastError(void)
{
    return lastError;
}
