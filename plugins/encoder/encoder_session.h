#pragma once

#include "audio_feed.h"
#include "av_handles.h"
#include "encoder_settings.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace pictavo::encoder {

// One output file being written: the container, the video and audio encoders, the music feed
// and the worker thread that encodes queued frames while the caller renders the next ones.
class EncoderSession {
public:
    explicit EncoderSession(const EncoderSettings& settings);
    ~EncoderSession();
    EncoderSession(const EncoderSession&) = delete;
    EncoderSession& operator=(const EncoderSession&) = delete;

    // Opens encoders and file and starts the worker; a BrenwickEncoderResult.
    static int open(const EncoderSettings& settings, std::unique_ptr<EncoderSession>& session,
                    std::string& error);

    // Copies one YUV 4:2:0 frame into the queue (waits while the queue is full) and encodes
    // the sound up to the frame's end. Returns the failure of an earlier frame, if any,
    // instead of taking the frame.
    int submit(const unsigned char* yuv, std::string& error);

    // Encodes what is queued, completes the audio, flushes the encoders and writes the end of
    // the file. The first failure of the whole session is returned.
    int finish(std::string& error);

private:
    int openVideo(std::string& error);
    int openAudio(std::string& note, std::string& error);
    int openFile(std::string& error);
    bool prepareFramePool();
    FramePtr pooledFrame();

    void run();
    int encodeVideo(AVFrame* frame, std::string& error);
    int encodeAudioUntil(int64_t sampleCount, bool last, std::string& error);
    int sendAndWrite(AVCodecContext* codec, AVStream* stream, const AVFrame* frame,
                     std::string& error);
    int64_t videoSamples(int64_t videoFrames) const;
    int64_t audioSamplesFor(int64_t videoFrames) const;
    void fail(int code, const std::string& text);

    EncoderSettings settings_;
    OutputFormatPtr output_;
    CodecContextPtr video_;
    CodecContextPtr audio_;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    AudioFeed feed_;
    FramePtr audioFrame_;
    PacketPtr packet_;
    PacketPtr audioPacket_;
    int audioFrameSize_ = 0;
    bool audioSmallLast_ = false;
    int hiddenAudioDelay_ = 0; // codec delay samples the container plays as sound
    int64_t audioSamplesDone_ = 0;
    int64_t audioWritten_ = 0; // samples in the audio packets written
    int64_t audioLimit_ = -1;  // no packets past this many samples (-1: no limit)
    int64_t videoFramesDone_ = 0;
    // Queued frames come from a pool of buffers laid out as the codec's own pictures.
    BufferPoolPtr framePool_;
    int frameStrides_[3] = {};
    size_t planeOffsets_[3] = {};
    size_t queueLimit_ = 4;
    bool headerWritten_ = false;
    bool finished_ = false;

    // Shared between the caller and the worker.
    std::mutex muxMutex_; // the file: pictures come from the worker, sound from the caller
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<FramePtr> queue_;
    int64_t framesQueued_ = 0;
    bool closing_ = false;
    int failure_ = 0;
    std::string failureText_;
    std::thread worker_;
};

} // namespace pictavo::encoder
