#pragma once
// The two halves of a reading, behind runRead: the picture's colours are
// grouped and the asked colour claimed once, then the steps or the markers
// are read from the claimed colour's pixels.

#include "autoread/colour_classes.h"
#include "autoread/methods.h"

#include <memory>

namespace orv::autoread::detail {

struct Prepared {
    QImage img; // RGB32
    ReadArea area;
    ColourClasses classes;
    ColourClaim claim;
    std::unique_ptr<PixelClasses> pixels;
};

ReadResult readSteps(const ReadJob &job, const Prepared &prep, const std::vector<double> &values, const Progress &progress);
ReadResult readMarkers(const ReadJob &job, const Prepared &prep, const Progress &progress);

} // namespace orv::autoread::detail
