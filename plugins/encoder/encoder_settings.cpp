#include "encoder_settings.h"

#include "brenwick_encoder.h"

extern "C" {
#include <libavutil/rational.h>
}

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace pictavo::encoder {
namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool isOneOf(const std::string& name, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

// A decimal number that fills the whole text but for an allowed suffix.
bool parseNumber(const std::string& text, double& value, std::string& suffix)
{
    const std::string t = trimmed(text);
    if (t.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || !std::isfinite(value))
        return false;
    suffix = lowered(trimmed(end));
    return true;
}

const AVCodec* encoderOfType(const char* name, AVMediaType type)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    return codec && codec->type == type ? codec : nullptr;
}

bool isMovFamily(const AVOutputFormat* format)
{
    const std::string name = format->name;
    return isOneOf(name, {"mp4", "mov", "3gp", "3g2", "ipod", "psp"});
}

// The video encoder for a codec text (historical names included).
const AVCodec* findVideoEncoder(const std::string& name, const AVOutputFormat* format,
                                uint32_t& tag)
{
    tag = 0;
    if (isOneOf(name, {"mpeg2video", "mpeg2"}))
        return encoderOfType("mpeg2video", AVMEDIA_TYPE_VIDEO);
    if (isOneOf(name, {"mpeg1video", "mpeg1"}))
        return encoderOfType("mpeg1video", AVMEDIA_TYPE_VIDEO);
    if (isOneOf(name, {"mpeg4", "divx", "fmp4"}))
        return encoderOfType("mpeg4", AVMEDIA_TYPE_VIDEO);
    if (isOneOf(name, {"libxvid", "xvid", "xvidcore"})) {
        if (std::string(format->name) == "avi")
            tag = MKTAG('X', 'V', 'I', 'D');
        if (const AVCodec* codec = encoderOfType("libxvid", AVMEDIA_TYPE_VIDEO))
            return codec;
        return encoderOfType("mpeg4", AVMEDIA_TYPE_VIDEO);
    }
    if (isOneOf(name, {"h264", "libx264", "x264", "avc", "avc1"})) {
        if (const AVCodec* codec = encoderOfType("libx264", AVMEDIA_TYPE_VIDEO))
            return codec;
        return avcodec_find_encoder(AV_CODEC_ID_H264);
    }
    // The MP4 family (and 3GP players) take baseline H.263 only.
    if (isOneOf(name, {"h263p", "h263+"}))
        return encoderOfType(isMovFamily(format) ? "h263" : "h263p", AVMEDIA_TYPE_VIDEO);
    return encoderOfType(name.c_str(), AVMEDIA_TYPE_VIDEO);
}

const AVCodec* findAudioEncoder(const std::string& name)
{
    if (isOneOf(name, {"libfaac", "aac", "faac", "libfdk_aac", "libvo_aacenc"}))
        return encoderOfType("aac", AVMEDIA_TYPE_AUDIO);
    if (isOneOf(name, {"libmp3lame", "mp3", "lame"})) {
        if (const AVCodec* codec = encoderOfType("libmp3lame", AVMEDIA_TYPE_AUDIO))
            return codec;
        return avcodec_find_encoder(AV_CODEC_ID_MP3);
    }
    if (isOneOf(name, {"mp2", "libtwolame", "mp2fixed"}))
        return encoderOfType("mp2", AVMEDIA_TYPE_AUDIO);
    if (isOneOf(name, {"libamr_nb", "amr_nb", "libopencore_amrnb"}))
        return encoderOfType("libopencore_amrnb", AVMEDIA_TYPE_AUDIO);
    return encoderOfType(name.c_str(), AVMEDIA_TYPE_AUDIO);
}

// The muxer for the output file's extension; MPEG program streams get a disc muxer when the
// video fits that disc.
const AVOutputFormat* findContainer(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return nullptr;
    const std::string ext = lowered(path.substr(dot + 1));
    if (isOneOf(ext, {"mpg", "mpeg", "m2p", "ps", "vob"}))
        return av_guess_format("mpeg", nullptr, nullptr);
    if (ext == "mp4")
        return av_guess_format("mp4", nullptr, nullptr);
    if (ext == "m4v")
        return av_guess_format("ipod", nullptr, nullptr);
    if (ext == "mov")
        return av_guess_format("mov", nullptr, nullptr);
    if (ext == "3gp")
        return av_guess_format("3gp", nullptr, nullptr);
    if (ext == "3g2")
        return av_guess_format("3g2", nullptr, nullptr);
    if (ext == "avi")
        return av_guess_format("avi", nullptr, nullptr);
    if (ext == "mkv")
        return av_guess_format("matroska", nullptr, nullptr);
    const AVOutputFormat* format = av_guess_format(nullptr, path.c_str(), nullptr);
    // Only containers that carry both video and audio are of use.
    if (format && format->video_codec != AV_CODEC_ID_NONE &&
        format->audio_codec != AV_CODEC_ID_NONE && !(format->flags & AVFMT_NOFILE))
        return format;
    return nullptr;
}

bool sizeIs(const EncoderSettings& s, int w, int h)
{
    return s.width == w && s.height == h;
}

DiscTarget discTarget(const EncoderSettings& s, bool vobFile)
{
    const bool ntsc = av_cmp_q(s.frameRate, AVRational{30000, 1001}) == 0;
    const bool pal = av_cmp_q(s.frameRate, AVRational{25, 1}) == 0;
    const bool ntscSize =
        sizeIs(s, 720, 480) || sizeIs(s, 704, 480) || sizeIs(s, 352, 480) || sizeIs(s, 352, 240);
    const bool palSize =
        sizeIs(s, 720, 576) || sizeIs(s, 704, 576) || sizeIs(s, 352, 576) || sizeIs(s, 352, 288);
    const bool discSize = (ntsc && ntscSize) || (pal && palSize);
    if (s.videoCodec->id == AV_CODEC_ID_MPEG2VIDEO) {
        if (discSize || vobFile)
            return DiscTarget::Dvd;
        if ((ntsc && sizeIs(s, 480, 480)) || (pal && sizeIs(s, 480, 576)))
            return DiscTarget::Svcd;
    }
    if (s.videoCodec->id == AV_CODEC_ID_MPEG1VIDEO &&
        ((ntsc && sizeIs(s, 352, 240)) || (pal && sizeIs(s, 352, 288))))
        return DiscTarget::Vcd;
    return DiscTarget::None;
}

bool present(const char* text)
{
    return text != nullptr;
}

void note(EncoderSettings& s, const std::string& text)
{
    s.adjustments += (s.adjustments.empty() ? "" : "; ") + text;
}

// Disc players accept only a few audio rates and a bounded video rate.
void adjustToDisc(EncoderSettings& s)
{
    if (s.disc == DiscTarget::None)
        return;
    const int discRate = s.disc == DiscTarget::Dvd ? 48000 : 44100;
    if (s.sampleRate != discRate) {
        note(s, "audio sample rate " + std::to_string(s.sampleRate) + " Hz changed to " +
                    std::to_string(discRate) + " Hz for the disc format");
        s.sampleRate = discRate;
    }
    if (s.channels > 2) {
        note(s, "audio reduced to 2 channels for the disc format");
        s.channels = 2;
    }
    // Average rates that leave room under the peak rate the disc allows.
    const int64_t maxVideo = s.disc == DiscTarget::Dvd    ? 8000000
                             : s.disc == DiscTarget::Svcd ? 2200000
                                                          : 1150000;
    if (s.videoBitrate > maxVideo) {
        note(s, "video bit rate " + std::to_string(s.videoBitrate / 1000) + " kb/s lowered to " +
                    std::to_string(maxVideo / 1000) + " kb/s for the disc format");
        s.videoBitrate = maxVideo;
    }
    const int64_t maxAudio = s.audioCodec->id == AV_CODEC_ID_AC3 ? 448000 : 384000;
    if (s.audioBitrate > maxAudio) {
        note(s, "audio bit rate lowered to " + std::to_string(maxAudio / 1000) +
                    " kb/s for the disc format");
        s.audioBitrate = maxAudio;
    }
}

} // namespace

AVRational parseFrameRate(const std::string& text)
{
    double value = 0;
    std::string suffix;
    if (!parseNumber(text, value, suffix) || !(suffix.empty() || suffix == "fps"))
        return {0, 1};
    // The NTSC family is exactly 1000/1001 of the whole rate.
    for (int whole : {24, 30, 60, 15}) {
        const double ntsc = whole * 1000.0 / 1001.0;
        if (std::fabs(value - ntsc) < 0.006)
            return {whole * 1000, 1001};
    }
    if (value <= 0 || value > 240)
        return {0, 1};
    if (value == std::floor(value))
        return {static_cast<int>(value), 1};
    return av_d2q(value, 100000);
}

int64_t parseBitrate(const std::string& text)
{
    double value = 0;
    std::string suffix;
    if (!parseNumber(text, value, suffix))
        return 0;
    if (!isOneOf(suffix, {"", "k", "kb", "kbps", "kbit", "kbit/s", "kb/s"}))
        return 0;
    if (value <= 0 || value > 1e6)
        return 0;
    return static_cast<int64_t>(std::llround(value * 1000.0));
}

int resolveSettings(const EncoderArguments& a, EncoderSettings& s, std::string& error)
{
    if (!present(a.outputPath) || !present(a.audioCodec) || !present(a.audioBitrate) ||
        !present(a.audioSampleRate) || !present(a.audioChannels) || !present(a.videoCodec) ||
        !present(a.videoBitrate) || !present(a.frameSize) || !present(a.frameRate)) {
        error = "initEncoder: a required argument is missing";
        return kEncoderBadArgument;
    }
    s.outputPath = a.outputPath;
    s.audioPath = a.audioPath ? a.audioPath : "";
    if (s.outputPath.empty()) {
        error = "initEncoder: the output file path is empty";
        return kEncoderBadArgument;
    }

    // Planar 4:2:0 needs even sizes; the upper bound keeps buffer sizes far from overflow.
    if (a.width <= 0 || a.height <= 0 || a.width % 2 || a.height % 2 || a.width > 4096 ||
        a.height > 4096) {
        error = "frame size " + std::to_string(a.width) + "x" + std::to_string(a.height) +
                " is not usable: width and height must be even and between 2 and 4096";
        return kEncoderBadArgument;
    }
    int textWidth = 0, textHeight = 0;
    char tail = 0;
    if (std::sscanf(a.frameSize, "%dx%d%c", &textWidth, &textHeight, &tail) != 2 ||
        textWidth != a.width || textHeight != a.height) {
        error = std::string("frame size text \"") + a.frameSize + "\" does not match " +
                std::to_string(a.width) + "x" + std::to_string(a.height);
        return kEncoderBadArgument;
    }
    s.width = a.width;
    s.height = a.height;

    s.frameRate = parseFrameRate(a.frameRate);
    if (s.frameRate.num <= 0) {
        error = std::string("frame rate \"") + a.frameRate + "\" is not usable";
        return kEncoderBadArgument;
    }
    s.videoBitrate = parseBitrate(a.videoBitrate);
    if (s.videoBitrate <= 0) {
        error = std::string("video bit rate \"") + a.videoBitrate + "\" is not usable";
        return kEncoderBadArgument;
    }
    s.audioBitrate = parseBitrate(a.audioBitrate);
    if (s.audioBitrate <= 0) {
        error = std::string("audio bit rate \"") + a.audioBitrate + "\" is not usable";
        return kEncoderBadArgument;
    }
    double rate = 0;
    std::string suffix;
    if (!parseNumber(a.audioSampleRate, rate, suffix) || !(suffix.empty() || suffix == "hz") ||
        rate != std::floor(rate) || rate < 8000 || rate > 192000) {
        error = std::string("audio sample rate \"") + a.audioSampleRate + "\" is not usable";
        return kEncoderBadArgument;
    }
    s.sampleRate = static_cast<int>(rate);
    const char first = a.audioChannels[0];
    if (first < '1' || first > '8') {
        error = std::string("audio channel count \"") + a.audioChannels + "\" is not usable";
        return kEncoderBadArgument;
    }
    s.channels = first - '0';

    s.format = findContainer(s.outputPath);
    if (!s.format) {
        error = "no video container is known for the file name " + s.outputPath;
        return kEncoderUnknownCodec;
    }
    const std::string videoName = lowered(trimmed(a.videoCodec));
    s.videoCodec = findVideoEncoder(videoName, s.format, s.videoTag);
    if (!s.videoCodec) {
        error = std::string("no encoder is available for the video codec \"") + a.videoCodec + "\"";
        return kEncoderUnknownCodec;
    }
    const std::string audioName = lowered(trimmed(a.audioCodec));
    s.audioCodec = findAudioEncoder(audioName);
    if (!s.audioCodec) {
        error = std::string("no encoder is available for the audio codec \"") + a.audioCodec + "\"";
        return kEncoderUnknownCodec;
    }

    if (std::string(s.format->name) == "mpeg") {
        const std::string path = lowered(s.outputPath);
        const bool vob = path.size() > 4 && path.compare(path.size() - 4, 4, ".vob") == 0;
        s.disc = discTarget(s, vob);
        const char* muxer = s.disc == DiscTarget::Dvd    ? "dvd"
                            : s.disc == DiscTarget::Svcd ? "svcd"
                            : s.disc == DiscTarget::Vcd  ? "vcd"
                                                         : "mpeg";
        s.format = av_guess_format(muxer, nullptr, nullptr);
        if (!s.format) {
            error = std::string("the ") + muxer + " container is not available";
            return kEncoderUnknownCodec;
        }
    }

    adjustToDisc(s);

    for (const AVCodec* codec : {s.videoCodec, s.audioCodec}) {
        if (avformat_query_codec(s.format, codec->id, FF_COMPLIANCE_NORMAL) == 0) {
            error = std::string("the ") + s.format->long_name + " container cannot hold " +
                    codec->long_name;
            return kEncoderCodecRefused;
        }
    }
    return kEncoderOk;
}

} // namespace pictavo::encoder
