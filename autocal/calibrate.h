#pragma once
// Calibrating a chart picture by itself: the plot frame, the tick marks,
// the tick labels (read through an OcrEngine), each axis's mapping and the
// calibration the program stores (frame mode, corners, corner values, axis
// modes). Runs without widgets, on any thread; one engine per run.

#include "autocal/ocr.h"
#include "model/calib_panel.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <atomic>
#include <expected>
#include <functional>
#include <optional>
#include <vector>

namespace orv::autocal {

enum class AxisId { X = 0, Y = 1, RightY = 2 };

struct FoundLabel {
    AxisId axis = AxisId::X;
    QRectF box;           // picture pixels
    QString text;         // as read; a raised exponent after "^"
    std::optional<double> value;
    double confidence = 0; // 0..100
    double residualPx = -1; // distance from the axis fit; < 0 when not fitted
    bool used = false;
    bool onTick = false;  // placed on a tick mark (else on its own centre)
    QPointF at;           // the point on the axis line it stands for
};

struct AxisResult {
    bool found = false, sure = false, log = false;
    double low = 0, high = 1;  // values at the lower-left and the far corner
    QString lowText, highText; // the shortest texts for them
    double rmsPx = 0;
    int used = 0;
};

enum class Missing {
    None,
    AxisLines,  // no frame
    XLabels,    // fewer than two readable labels on the X axis
    YLabels,
    BothLabels,
};

struct Calibration {
    QSize size;
    bool frameFound = false;
    bool fullBox = false;
    std::array<QPointF, 4> corner{}; // LL, LU, RU, RL in picture pixels (y down)
    int tab = 1;                     // CalibPanel's tab: 1 diagonal, 2 four-point, 3 projective
    AxisResult x, y;
    std::vector<FoundLabel> labels;
    std::vector<QPointF> ticks;
    bool rightAxis = false; // a second Y axis with labels on the right
    Missing missing = Missing::AxisLines;
    bool complete() const { return missing == Missing::None; }
};

enum class CalibrateError { Cancelled, EmptyPicture };

using Progress = std::function<void(int percent)>;

std::expected<Calibration, CalibrateError> calibrate(const QImage &picture, OcrEngine &ocr,
                                                     const std::atomic<bool> *cancel = nullptr,
                                                     const Progress &progress = {});

// The frame mode of four corners: diagonal when the frame is axis-parallel
// within 0.25 px, four-point when it is a parallelogram within 0.25 px,
// projective otherwise.
int frameTab(const std::array<QPointF, 4> &corner);

// Writes what was found into the panel: mode, corners (normalised), and the
// values and mode of each axis that was found. Nothing without a frame.
// `selectTab` switches the mode when given (the window's own switch), else
// the panel's.
void applyToPanel(const Calibration &c, CalibPanel &panel, const std::function<void(int tab)> &selectTab = {});

// What was missing, in the user's language, and in English for the command line.
QString missingText(Missing m);
QString missingTextEnglish(Missing m);
QString axisName(AxisId a);

} // namespace orv::autocal
