#pragma once

// Reading the audio of a file: the container, its best audio stream and that stream's decoder.

#include "av_handles.h"

#include <cstdint>
#include <string>

namespace pictavo::audioconv {

class AudioInput {
public:
    enum class Step { Ready, End, Failed };

    // Opens a local file (never a network address or another protocol) and the decoder of its
    // best audio stream. False when the file cannot be read or holds no decodable audio
    // stream; error() tells why.
    bool open(const std::string& path);

    // Decodes the next frame of the audio into `frame`. Packets the decoder rejects as damaged
    // are skipped, as a player would; the end of a truncated file is the end of the audio.
    Step nextFrame(AVFrame* frame);

    // Reads the next packet of the audio stream without decoding it.
    Step nextPacket(AVPacket* packet);

    // Decodes one packet read by nextPacket and answers the number of samples it gave
    // (0 when the decoder rejected it or holds the samples back).
    int64_t decodePacket(const AVPacket* packet, AVFrame* scratch);

    const AVStream* stream() const { return format_->streams[streamIndex_]; }
    const std::string& error() const { return error_; }
    int damagedPackets() const { return damagedPackets_; }

private:
    Step fail(const std::string& what, int code);

    std::string path_;
    FormatInputPtr format_;
    CodecContextPtr decoder_;
    PacketPtr packet_;
    int streamIndex_ = -1;
    bool draining_ = false;
    bool packetPending_ = false;
    int damagedPackets_ = 0;
    std::string error_;
};

} // namespace pictavo::audioconv
