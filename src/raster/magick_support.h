#pragma once

// Internal to the raster library: the bridge between Magick++ and QImage. Nothing outside
// src/raster includes this header.

#include <Magick++.h>
#include <QImage>
#include <functional>
#include <string>

namespace pictavo::raster_detail {

// Starts the codec library once per process (thread-safe) with resource limits large enough for
// the biggest pictures the program opens.
void ensureMagick();

// The codec name for an accepted extension (lower case, no dot); "" for any other extension.
std::string codecForExtension(const std::string& extension);

// The codec's message without the program name and the source location it carries.
std::string cleanMessage(const std::string& text);

// True for warnings that mean the picture data is incomplete (a truncated file), which the
// codec reports as a warning after filling the missing part with grey.
bool isFatalWarning(const std::string& text);

// Runs an operation on Magick++ objects. Exceptions are caught here: errors (and fatal
// warnings) become the returned text, other warnings are ignored. An empty text means success.
std::string runMagick(const std::function<void()>& operation);

// Copies the picture's pixels into a QImage in one bulk transfer: Format_ARGB32 when the picture
// has an alpha channel, otherwise Format_RGB32. Null when the memory cannot be had.
QImage toQImage(Magick::Image& image);

// Makes a Magick picture from a QImage in one bulk transfer; the alpha channel is kept only when
// the QImage has one.
Magick::Image fromQImage(const QImage& image);

// Reads at most maxBytes of a file (all of it by default); false when it cannot be opened/read.
bool readFileBytes(const std::string& path, std::string& bytes, qint64 maxBytes = -1);

} // namespace pictavo::raster_detail
