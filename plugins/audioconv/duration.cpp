#include "mp2_conversion.h"

#include "audio_input.h"

#include <climits>
#include <cmath>

extern "C" {
#include <libavutil/intreadwrite.h>
}

namespace pictavo::audioconv {
namespace {

// Whole seconds of a measured playing time: truncated toward zero, so that a list of tracks
// never promises more music than it holds; audio shorter than a second still counts as 1
// because 0 means "not audio".
int wholeSeconds(long double seconds)
{
    if (seconds >= static_cast<long double>(INT_MAX)) {
        return INT_MAX;
    }
    const int whole = static_cast<int>(std::floor(seconds));
    return whole < 1 ? 1 : whole;
}

// Decodes the whole stream and counts its samples: for containers whose packets carry no
// durations.
int measureByDecoding(const std::string& path, std::string& error)
{
    AudioInput input;
    FramePtr frame(av_frame_alloc());
    if (!frame || !input.open(path)) {
        error = input.error();
        return 0;
    }
    long double seconds = 0;
    bool decodedAny = false;
    for (;;) {
        const AudioInput::Step step = input.nextFrame(frame.get());
        if (step == AudioInput::Step::Failed) {
            error = input.error();
            return 0;
        }
        if (step == AudioInput::Step::End) {
            break;
        }
        if (frame->nb_samples > 0 && frame->sample_rate > 0) {
            decodedAny = true;
            seconds += static_cast<long double>(frame->nb_samples) / frame->sample_rate;
        }
        av_frame_unref(frame.get());
    }
    if (!decodedAny) {
        error = "no decodable audio in '" + path + "'";
        return 0;
    }
    return wholeSeconds(seconds);
}

// Packets of MPEG audio and of plain PCM carry exact durations; other codecs (WMA, AAC...)
// give only approximate ones, so their samples are counted by decoding.
bool packetDurationsAreExact(AVCodecID codec)
{
    if (codec == AV_CODEC_ID_MP1 || codec == AV_CODEC_ID_MP2 || codec == AV_CODEC_ID_MP3) {
        return true;
    }
    return codec >= AV_CODEC_ID_FIRST_AUDIO && codec < AV_CODEC_ID_ADPCM_IMA_QT;
}

// Samples the decoder drops at the start (encoder delay) and the end (padding) of the stream,
// as the container announces them with a packet.
int64_t skippedSamples(const AVPacket* packet)
{
    size_t size = 0;
    const uint8_t* data = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
    if (data == nullptr || size < 8) {
        return 0;
    }
    return static_cast<int64_t>(AV_RL32(data)) + AV_RL32(data + 4);
}

} // namespace

int measureSeconds(const std::string& path, std::string& error)
{
    error.clear();
    AudioInput input;
    FramePtr frame(av_frame_alloc());
    PacketPtr packet(av_packet_alloc());
    if (!frame || !packet) {
        error = "out of memory";
        return 0;
    }
    if (!input.open(path)) {
        error = input.error();
        return 0;
    }
    const AVCodecParameters* codec = input.stream()->codecpar;
    const AVRational timeBase = input.stream()->time_base;
    if (!packetDurationsAreExact(codec->codec_id) || codec->sample_rate <= 0 || timeBase.num <= 0 ||
        timeBase.den <= 0) {
        return measureByDecoding(path, error);
    }
    // Sums the durations the packets carry (exact for variable bit rates, which a length
    // estimate from the bit rate is not) and decodes packets only until audio comes out,
    // to make sure the file is really audio.
    int64_t total = 0;
    int64_t skipped = 0;
    int64_t verifiedSamples = 0;
    for (;;) {
        const AudioInput::Step step = input.nextPacket(packet.get());
        if (step == AudioInput::Step::Failed) {
            error = input.error();
            return 0;
        }
        if (step == AudioInput::Step::End) {
            break;
        }
        if (packet->duration <= 0) {
            return measureByDecoding(path, error);
        }
        total += packet->duration;
        skipped += skippedSamples(packet.get());
        if (verifiedSamples == 0) {
            verifiedSamples = input.decodePacket(packet.get(), frame.get());
        }
    }
    av_packet_unref(packet.get());
    if (verifiedSamples == 0) {
        verifiedSamples = input.decodePacket(nullptr, frame.get());
    }
    if (verifiedSamples == 0) {
        error = "no decodable audio in '" + path + "'";
        return 0;
    }
    const long double seconds = static_cast<long double>(total) * timeBase.num / timeBase.den -
                                static_cast<long double>(skipped) / codec->sample_rate;
    return wholeSeconds(seconds);
}

} // namespace pictavo::audioconv
