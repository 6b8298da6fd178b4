#pragma once

// The entry points of BrenwickEncoder.so, resolved by name with dlsym. Strings are narrow and
// zero-terminated. One file is written at a time: initEncoder opens it, EncOneFrame adds one
// frame, closeEncoder finishes it.

#if defined(__GNUC__)
#define BRENWICK_ENCODER_EXPORT __attribute__((visibility("default")))
#else
#define BRENWICK_ENCODER_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Result codes. 0 is success; every failure is one of the positive codes below (never 1 or 2,
// which the production run uses for "failed to start" and "stopped").
enum BrenwickEncoderResult {
    kEncoderOk = 0,
    kEncoderNotOpen = 3,      // no successful initEncoder before the call
    kEncoderBadArgument = 4,  // missing text, odd or impossible size, bad rate or bit rate
    kEncoderUnknownCodec = 5, // no encoder or container for the name or extension
    kEncoderCodecRefused = 6, // the codec or container refuses the settings (e.g. the size)
    kEncoderOutputFailed = 7, // the output file cannot be created or written (disk full)
    kEncoderEncodeFailed = 8, // the codec failed while encoding
};

// Opens the output file and its encoders.
//  width, height      frame size in pixels (even, positive)
//  outputPath         the video file to write; its extension chooses the container
//  yuvPath            unused (kept for the caller's argument order)
//  audioPath          music to put under the video; missing or unreadable gives silence
//  audioCodec         e.g. "mp2", "libfaac", "libmp3lame", "ac3"
//  audioBitrate       kilobits per second followed by "kb" (or "k"), e.g. "224kb"
//  audioSampleRate    Hz, e.g. "48000"
//  audioChannels      "1" or "2"
//  videoCodec         e.g. "mpeg2video", "mpeg1video", "mpeg4", "libxvid", "h264", "h263p"
//  videoBitrate       kilobits per second followed by "kb", e.g. "6000kb"
//  frameSize          the size as text, e.g. "720x480" (must agree with width and height)
//  frameRate          frames per second as text; "29.97" is exactly 30000/1001
// A file left open by an earlier initEncoder is finished first.
BRENWICK_ENCODER_EXPORT int initEncoder(int width, int height, const char* outputPath,
                                        const char* yuvPath, const char* audioPath,
                                        const char* audioCodec, const char* audioBitrate,
                                        const char* audioSampleRate, const char* audioChannels,
                                        const char* videoCodec, const char* videoBitrate,
                                        const char* frameSize, const char* frameRate);

// Queues one planar YUV 4:2:0 frame (Y plane width x height, then Cb and Cr planes of
// width/2 x height/2, rows back to back) and returns at once; the buffer may be reused as soon
// as the call returns. 0 accepts the frame; a failure of an earlier frame is reported here.
BRENWICK_ENCODER_EXPORT int EncOneFrame(const unsigned char* yuvFrame);

// Encodes what is queued, completes the audio track to the length of the video and finishes
// the file, so that it plays with every frame accepted so far (also after a stop). 0 when the
// whole file was written.
BRENWICK_ENCODER_EXPORT int closeEncoder(void);

// The text of the last failure ("" when none), valid until the next call into the library.
BRENWICK_ENCODER_EXPORT const char* encoderLastError(void);

typedef int (*InitEncoderFunction)(int, int, const char*, const char*, const char*, const char*,
                                   const char*, const char*, const char*, const char*, const char*,
                                   const char*, const char*);
typedef int (*EncOneFrameFunction)(const unsigned char*);
typedef int (*CloseEncoderFunction)(void);
typedef const char* (*EncoderLastErrorFunction)(void);

#ifdef __cplusplus
}
#endif
