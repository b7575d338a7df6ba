#pragma once
// An automatic calibration written into the reading as one undoable step:
// the frame mode, the corners (boxes and markers), the corner values, the
// axis modes and, when the user wants it, every table re-read with the new
// frame. Undo puts all of it back at once.

#include "autocal/calibrate.h"
#include "model/reading.h"

#include <functional>

namespace orv::autocal {

struct ApplyOptions {
    bool reread = false;
    // The window's mode switch (hint picture, corner groups); the panel's when empty.
    std::function<void(int tab)> selectTab;
};

// Nothing happens without a frame.
void applyCalibration(Reading &r, const Calibration &c, const ApplyOptions &options = {});

} // namespace orv::autocal
