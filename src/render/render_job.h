#pragma once

// The state of one render run and the frame pipeline operations every step uses.
//
// A run is a chain of steps: the opening (photo 0 fading in from white, or in the transition
// preview a still of the first sample picture), then one step per later photo: the transition
// from the frame on screen to that photo, then the photo's own display frames, with the photo
// moving by its motion effect throughout the step. Every finished frame goes to a FrameSink.

#include "effects/effect_catalogue.h"
#include "render/photo_frame.h"

#include <QImage>
#include <QRect>
#include <QRgb>
#include <cstdint>
#include <functional>
#include <string>

namespace pictavo {

class AutoResetEvent;
class FrameSink;
class Slideshow;
class TransitionSettings;

enum class RenderMode : int {
    TransitionPreview = 0,
    SlideshowPreview = 1,
    Production = 2,
};

// The opaque black background every caller uses.
inline constexpr QRgb kDefaultBackground = 0xFF000000u;

// What the effects tab asks for: one sample transition between two sample pictures.
struct TransitionPreviewRequest {
    int videoStandard = 0;       // non-zero means PAL
    int aspect = 0;              // 0 = 4:3, 1 = 16:9
    std::string firstImagePath;  // the outgoing sample picture
    std::string secondImagePath; // the incoming sample picture
    ImageEffectType motionEffect = kImageEffectNone;
    int displaySeconds = 0;
    const TransitionSettings* transition = nullptr;
    int transitionSeconds = 0;
    QRgb background = kDefaultBackground;
};

// What the preview window asks for: a whole slideshow at preview size.
struct SlideshowPreviewRequest {
    int videoStandard = 0; // non-zero means PAL
    const Slideshow* slideshow = nullptr;
    QRgb background = kDefaultBackground;
    int width = 0;
    int height = 0;
};

// What the make-video job asks for: one slideshow rendered for the encoder.
struct ProductionRequest {
    int videoStandard = 0; // not read by the pipeline
    int aspect = 0;        // not read by the pipeline
    const Slideshow* slideshow = nullptr;
    // The current output profile's frame-rate text ("25", "29.97"); its leading digits give the
    // frames per second of the run.
    std::string frameRateText;
    // Receives the progress 0..65535 after every encoded frame (may be empty).
    std::function<void(int)> progressCallback;
    // Signalled by the job to stop the run; tested after every encoded frame (may be null).
    AutoResetEvent* stopEvent = nullptr;
    QRgb background = kDefaultBackground;
};

// The encoder's frame entry point: takes one I420 picture, returns 0 or the encoder's code.
using EncodeFrameFunction = std::function<int(const std::uint8_t* yuvFrame)>;

// The state of one run, created by the run's driver and passed to every step. A driver sets
// mode, its request and a sink, calls prepareJobFrame, and for the previews frameIntervalMs
// (previewFrameIntervalMs) and stopEvent; for production encodeFrame, the YUV buffer of the
// EncoderSink and progressStep (progressStepFor the slideshow's totalFrames). Then
// runSlideshowSteps, or for the transition preview renderOpening and renderTransitionStep with
// stepFrames / transitionFrames set.
struct RenderJob {
    RenderMode mode = RenderMode::Production;
    // The frame on which every output frame is composed: Format_RGB32 in production,
    // Format_ARGB32_Premultiplied (created transparent) in the previews. Between steps it holds
    // the last frame emitted: the outgoing picture of the next transition.
    QImage canvas;
    QRect frameRect;
    // The photo at the start of a step, then one more for every motion frame drawn (the frame
    // index of the rotating zooms).
    int counter = 0;
    int stepFrames = 0;
    int transitionFrames = 0;
    // The preview stop event (previews); production tests the request's own event.
    AutoResetEvent* stopEvent = nullptr;
    std::uint32_t lastPresentTick = 0;
    int frameIntervalMs = 40;
    PhotoFrame photo;
    EncodeFrameFunction encodeFrame;
    double progress = 0;
    double progressStep = 0;
    // The request of the mode; exactly one is set.
    const TransitionPreviewRequest* transitionRequest = nullptr;
    const SlideshowPreviewRequest* slideshowRequest = nullptr;
    const ProductionRequest* productionRequest = nullptr;
    // Where finished frames go.
    FrameSink* sink = nullptr;
};

// Sets up the canvas, the motion canvas and the frame rectangle for a frame of width x height
// in the canvas format of the job's mode. False when the size is empty or the pictures cannot
// be allocated.
bool prepareJobFrame(RenderJob& job, int width, int height);

// 65535 spread over the slideshow's frame total (0 when the total is not positive).
double progressStepFor(int totalFrames);

// The outgoing frame: a Format_RGB32 copy of the canvas inside frameRect.
QImage snapshotCanvas(const RenderJob& job);

// The transition of the incoming photo (null when it has none).
const TransitionSettings* transitionSettingsOf(const RenderJob& job);
// The motion effect of the incoming photo.
ImageEffectType motionEffectOf(const RenderJob& job);
QRgb backgroundOf(const RenderJob& job);
// The picture file of the incoming photo.
std::string photoPathOf(const RenderJob& job);

// Decodes the incoming photo (only as large as the frame needs), prepares its motion for
// stepFrames frames and replaces photo.image with it scaled to the fitted size. A file that
// cannot be decoded leaves an empty picture: the step shows the background only.
void loadPhotoFrame(RenderJob& job);

// Hands the finished canvas to the sink: 0 = go on, 2 = a stop was requested, any other value
// ends the run with that code (the encoder's refusal).
int emitFrame(RenderJob& job);

// Draws the picture of a file onto the canvas fitted whole and centred, without clearing first
// (where it does not cover the frame the canvas keeps what it had). A file that cannot be
// decoded draws nothing.
void drawPhotoStill(RenderJob& job, const std::string& path);

// The first step of a run. In the transition preview a still of the first sample picture
// (result 0); otherwise photo 0 fading in from white over stepFrames frames.
int renderOpening(RenderJob& job);

// Frames per second of a run: in production the leading digits of the frame-rate text
// ("29.97" gives 29); in the slideshow preview 25 for PAL and 30 otherwise.
int productionFramesPerSecond(const std::string& frameRateText);
int previewFramesPerSecond(int videoStandard);
// Milliseconds between preview frames: 40 for PAL (non-zero), 33 for NTSC.
int previewFrameIntervalMs(int videoStandard);

// The whole chain of a slideshow run (production or slideshow preview): the opening, then a
// step per photo from the second one on. The result is the first non-zero result of a step
// (2 when stopped, the encoder's code when it refused a frame), else 0. A slideshow without
// photos renders nothing and gives 1.
int runSlideshowSteps(RenderJob& job, int framesPerSecond);

// Runs work on a thread of Qt's shared thread pool and waits for its result. Qt splits large
// fills and scaled drawing across that pool unless the painting thread belongs to it; a
// production run paints every frame while the encoder keeps the other cores busy, so handing
// each drawing to the pool only adds thread switches. Work already on a pool thread runs in
// place.
int runWithSerialPainting(const std::function<int()>& work);

} // namespace pictavo
