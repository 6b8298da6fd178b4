#include "audio_fixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <vector>

#include <dlfcn.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace pictavo::test {
namespace {

void putLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

void collect(AudioProbe& probe, const AVFrame* frame)
{
    probe.samples += frame->nb_samples;
    probe.sampleRate = frame->sample_rate;
    probe.channels = frame->ch_layout.nb_channels;
    if (frame->format == AV_SAMPLE_FMT_S16P || frame->format == AV_SAMPLE_FMT_S16) {
        const bool planar = frame->format == AV_SAMPLE_FMT_S16P;
        const int planes = planar ? probe.channels : 1;
        const int perPlane = frame->nb_samples * (planar ? 1 : probe.channels);
        for (int p = 0; p < planes; ++p) {
            const auto* data = reinterpret_cast<const int16_t*>(frame->extended_data[p]);
            for (int i = 0; i < perPlane; ++i) {
                probe.peak = std::max(probe.peak, std::abs(data[i]) / 32768.0);
            }
        }
    } else if (frame->format == AV_SAMPLE_FMT_FLTP) {
        for (int p = 0; p < probe.channels; ++p) {
            const auto* data = reinterpret_cast<const float*>(frame->extended_data[p]);
            for (int i = 0; i < frame->nb_samples; ++i) {
                probe.peak = std::max(probe.peak, static_cast<double>(std::fabs(data[i])));
            }
        }
    }
}

} // namespace

bool writeWav(const std::string& path, double seconds, int rate, int channels,
              const std::function<double(double, int)>& sample)
{
    const auto frames = static_cast<uint32_t>(std::llround(seconds * rate));
    const uint32_t dataBytes = frames * channels * 2;
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    putLe(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, channels, 2);
    putLe(out, rate, 4);
    putLe(out, rate * channels * 2, 4);
    putLe(out, channels * 2, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double value = std::clamp(sample(static_cast<double>(i) / rate, c), -1.0, 1.0);
            putLe(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(value * 32767))), 2);
        }
    }
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

bool writeToneWav(const std::string& path, double seconds, int rate, int channels, double frequency)
{
    return writeWav(path, seconds, rate, channels, [frequency](double t, int) {
        return 0.3 * std::sin(2 * std::numbers::pi * frequency * t);
    });
}

bool runFfmpeg(const std::string& arguments)
{
    const std::string command =
        "ffmpeg -nostdin -hide_banner -v error -y " + arguments + " > /dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

AudioProbe probeAudio(const std::string& path)
{
    AudioProbe probe;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        return probe;
    }
    std::unique_ptr<AVFormatContext, FormatCloser> format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) {
        return probe;
    }
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index < 0 || codec == nullptr) {
        return probe;
    }
    std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
    const AVStream* stream = format->streams[index];
    if (avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0 ||
        avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        return probe;
    }
    probe.opened = true;
    probe.codec = codec->name;
    probe.container = format->iformat->name;
    probe.bitRate = stream->codecpar->bit_rate;
    probe.sampleRate = stream->codecpar->sample_rate;
    probe.channels = stream->codecpar->ch_layout.nb_channels;
    if (format->duration != AV_NOPTS_VALUE) {
        probe.headerSeconds = static_cast<double>(format->duration) / AV_TIME_BASE;
    }
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    auto drain = [&] {
        for (;;) {
            const int code = avcodec_receive_frame(decoder.get(), frame.get());
            if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) {
                return;
            }
            if (code < 0) {
                ++probe.decodeErrors;
                return;
            }
            collect(probe, frame.get());
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(decoder.get(), packet.get()) < 0) {
            ++probe.decodeErrors;
        }
        av_packet_unref(packet.get());
        drain();
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    return probe;
}

std::string appFolder()
{
    const char* folder = std::getenv("PICTAVO_APP_DIR");
    return folder != nullptr ? folder : "";
}

ConversionLibrary::ConversionLibrary()
{
    const std::string path = appFolder() + "/libxToMp2.so";
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* text = dlerror();
        loadError_ = text != nullptr ? text : path;
        return;
    }
    convert = reinterpret_cast<XToMp2Function>(dlsym(handle_, "xToMp2"));
    timeLength = reinterpret_cast<GetFileTimeLengthFunction>(dlsym(handle_, "GetFileTimeLength"));
    lastError = reinterpret_cast<XToMp2LastErrorFunction>(dlsym(handle_, "xToMp2LastError"));
}

ConversionLibrary::~ConversionLibrary()
{
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

std::string folderListing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto& name : names) {
        listing += name + "\n";
    }
    return listing;
}

} // namespace pictavo::test
