/* The audio conversion library libxToMp2.so: turns any audio file FFmpeg can decode into an
 * MP2 file in one fixed format, and measures playing times.
 *
 * Every converted file is a raw MPEG-1 Layer II elementary stream (no ID3, Xing or container
 * header) at 48 kHz, stereo, 224 kbit/s, so that the byte-wise concatenation of several
 * converted files is itself one valid MPEG audio stream.
 *
 * Plain C so that the program can resolve the entry points by name with dlsym.
 */
#ifndef PICTAVO_XTOMP2_H
#define PICTAVO_XTOMP2_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define XTOMP2_API __attribute__((visibility("default")))
#else
#define XTOMP2_API
#endif

/* Results of xToMp2. */
#define XTOMP2_OK 0      /* the destination file is written completely */
#define XTOMP2_FAILED 1  /* any failure: unreadable source, no audio, unwritable destination */
#define XTOMP2_STOPPED 2 /* the caller's stop handle asked the conversion to give up */

/* The fixed output format. */
#define XTOMP2_SAMPLE_RATE 48000
#define XTOMP2_CHANNELS 2
#define XTOMP2_BIT_RATE 224000

/* How the caller asks a running conversion to give up. The library calls
 * isStopRequested(context) from the converting thread before every decoded block of audio (a
 * few tens of milliseconds of sound, at most a fraction of a second); a
 * non-zero answer ends the conversion with XTOMP2_STOPPED and removes the partial output.
 * The function must be cheap and thread-safe. A null handle or a null function means the
 * conversion runs to its end. */
typedef struct XToMp2StopHandle {
    int (*isStopRequested)(void* context);
    void* context;
} XToMp2StopHandle;

/* Converts the audio of `sourcePath` to an MP2 file at `destinationPath` (replaced when it
 * exists). The output is written under a temporary name in the destination's folder and
 * renamed at the end, so the destination is either complete or untouched. Returns XTOMP2_OK,
 * XTOMP2_FAILED or XTOMP2_STOPPED. */
XTOMP2_API int xToMp2(const char* sourcePath, const char* destinationPath,
                      const XToMp2StopHandle* stop);

/* The playing time of the audio in `path` in whole seconds, truncated toward zero; a file
 * with less than one second of decodable audio counts as 1. Returns 0 when the file is
 * missing or holds no decodable audio. The time is measured from the audio packets
 * themselves, so variable-bit-rate files without a length header are measured correctly. */
XTOMP2_API int GetFileTimeLength(const char* path);

/* Copies the reason for the last failure of xToMp2 or GetFileTimeLength in this process (the
 * file and the decoder's own error text; "" after a success) into `buffer`, cut to fit and
 * zero-terminated, and returns the length of the whole text. A null buffer or a size of 0
 * only returns the length. */
XTOMP2_API int xToMp2LastError(char* buffer, int size);

/* Entry point types for dlsym. */
typedef int (*XToMp2Function)(const char*, const char*, const XToMp2StopHandle*);
typedef int (*GetFileTimeLengthFunction)(const char*);
typedef int (*XToMp2LastErrorFunction)(char*, int);

#ifdef __cplusplus
}
#endif

#endif /* PICTAVO_XTOMP2_H */
