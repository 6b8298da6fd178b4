#pragma once

#include "model/photo_item.h"

#include <QColor>
#include <QSize>
#include <memory>
#include <string>

namespace pictavo::test {

// A photo that exists only in memory (for order and timing checks).
std::unique_ptr<PhotoItem> memoryPhoto(const std::string& name, int displaySeconds = 3,
                                       int transitionSeconds = 2,
                                       VideoStandard standard = kVideoStandardPal);

// Writes a picture of one colour in the format of the path's extension (Qt's writers: png,
// jpg, bmp ...). False when it cannot be written.
bool writePicture(const std::string& path, QSize size, QColor colour = QColor(200, 30, 30));

// Writes a one-group output profile catalogue under an application folder whose selected
// profile has the given bit rates (kilobits per second).
bool writeCatalogue(const std::string& applicationFolder, int videoKbps, int audioKbps);

} // namespace pictavo::test
