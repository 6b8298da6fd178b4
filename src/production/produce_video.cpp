#include "production/produce_video.h"

#include "core/app_paths.h"
#include "core/log.h"
#include "core/result_codes.h"
#include "model/slideshow.h"
#include "profiles/frame_sizes.h"
#include "profiles/output_profile.h"
#include "profiles/profile_catalogue.h"
#include "render/frame_sink.h"
#include "render/yuv_converter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

namespace {

std::string withLibraryError(const EncoderLibrary& library)
{
    const std::string text = library.lastError();
    return text.empty() ? std::string() : ": " + text;
}

std::string initLogLine(const EncoderInitArguments& a)
{
    return "Begin init encoder rectScreen:" + std::to_string(a.width) + "," +
           std::to_string(a.height) + ". m2vFile:" + a.outputPath +
           ", strAudioPath:" + a.audioPath + ", strACodec:" + a.audioCodec +
           ", strARate:" + a.audioBitrate + ", strASample:" + a.audioSampleRate +
           ", strAChannel:" + a.audioChannels + ", strVCodec:" + a.videoCodec +
           ", strVRate:" + a.videoBitrate;
}

} // namespace

EncoderInitArguments encoderArgumentsFor(const OutputProfile& profile, const FrameSize& size,
                                         const std::string& outputPath,
                                         const std::string& audioPath,
                                         const std::string& applicationFolder)
{
    using Id = ProfileParameterId;
    // Texts are moved in whole (not assigned from literals) to keep GCC 12's overlap warning
    // about short string replacements quiet in optimised builds.
    EncoderInitArguments a;
    a.width = size.width;
    a.height = size.height;
    a.outputPath = outputPath;
    a.yuvPath = applicationFolder + "/menu_pic/in.yuv";
    a.audioPath = audioPath;

    a.audioCodec = profile.currentText(Id::AudioCodec);
    a.audioBitrate = profile.currentText(Id::AudioBitrate) + "kb";
    a.audioSampleRate = profile.currentText(Id::AudioSampleRate);
    a.audioChannels = profile.currentText(Id::AudioChannels).substr(0, 1);
    if (a.audioCodec == "aac") {
        a.audioCodec = std::string("libfaac");
    } else if (a.audioCodec == "mp3") {
        a.audioCodec = std::string("libmp3lame");
    } else if (a.audioCodec == "amr_nb") {
        // The narrow-band speech codec has one fixed form.
        a.audioCodec = std::string("libamr_nb");
        a.audioChannels = std::string("1");
        a.audioSampleRate = std::string("8000");
        a.audioBitrate = std::string("12.2k");
    }

    a.videoCodec = profile.currentText(Id::VideoCodec);
    if (a.videoCodec == "xvid")
        a.videoCodec = std::string("libxvid");
    else if (a.videoCodec == "h263")
        a.videoCodec = std::string("h263p");
    a.videoBitrate = profile.currentText(Id::VideoBitrate) + "kb";
    a.frameSize = profile.currentText(Id::VideoSize);
    a.frameRate = profile.currentText(Id::VideoFrameRate);
    return a;
}

int produceVideo(const ProductionRequest& request)
{
    return produceVideo(request, profileCatalogue().currentProfile());
}

int produceVideo(const ProductionRequest& request, const OutputProfile* profile)
{
    writeLog("begin Load BrenwickEncoder");
    const std::string folder = applicationFolder();
    EncoderLibrary library;
    if (!library.load(joinPath(folder, kEncoderLibraryName))) {
        writeLog("Cannot load the encoder library: " + library.loadError());
        return kResultFailed;
    }
    writeLog("End Load BrenwickEncoder");

    if (profile == nullptr) {
        writeLog("No output profile is selected");
        return kResultFailed;
    }
    const std::string& sizeText = profile->currentText(ProfileParameterId::VideoSize);
    const FrameSize* size = findFrameSize(sizeText);
    if (size == nullptr) {
        writeLog("Unknown frame size \"" + sizeText + "\" in the output profile");
        return kResultFailed;
    }
    const Slideshow* slideshow = request.slideshow;
    if (slideshow == nullptr || slideshow->photoCount() < 1) {
        // Nothing to show: no file is started.
        writeLog("The slideshow has no photos");
        return kResultFailed;
    }

    const EncoderInitArguments arguments =
        encoderArgumentsFor(*profile, *size, slideshow->mpgPath(), slideshow->mp2Path(), folder);
    writeLog(initLogLine(arguments));
    const int initResult = library.initEncoder(arguments);
    writeLog("End init encoder");
    if (initResult != 0) {
        writeLog("The encoder cannot start " + arguments.outputPath + " (code " +
                 std::to_string(initResult) + ")" + withLibraryError(library));
        return initResult;
    }

    RenderJob job;
    job.mode = RenderMode::Production;
    job.productionRequest = &request;
    int result = kResultFailed;
    if (prepareJobFrame(job, size->width, size->height)) {
        // The frame converter reads the canvas rows in place, so the YUV picture is the only
        // buffer a run needs.
        std::vector<std::uint8_t> yuv(i420Layout(size->width, size->height).totalBytes);
        EncoderSink sink(yuv.data(), yuv.size());
        job.sink = &sink;
        job.encodeFrame = [&library](const std::uint8_t* frame) {
            return library.encodeFrame(frame);
        };
        job.progress = 0;
        job.progressStep = progressStepFor(slideshow->totalFrames());
        const int fps =
            productionFramesPerSecond(profile->currentText(ProfileParameterId::VideoFrameRate));
        result = runWithSerialPainting([&] { return runSlideshowSteps(job, fps); });
        if (result != kResultOk && result != kResultStopped)
            writeLog("Encoding " + arguments.outputPath + " ended with code " +
                     std::to_string(result) + withLibraryError(library));
    } else {
        writeLog("Cannot create the frame pictures of " + sizeText);
    }

    // The file is finished also after a stop or a refused frame, so that it plays with the
    // frames accepted so far.
    const int closeResult = library.closeEncoder();
    if (closeResult != 0) {
        writeLog("The encoder cannot finish " + arguments.outputPath + " (code " +
                 std::to_string(closeResult) + ")" + withLibraryError(library));
        // A file that was not completely written is not a success.
        if (result == kResultOk)
            result = closeResult;
    }
    library.unload();
    return result;
}

} // namespace pictavo
