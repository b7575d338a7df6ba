#include "autocal/calibrate.h"

#include "autocal/axis_fit.h"
#include "autocal/geometry.h"
#include "autocal/labels.h"
#include "model/frame_map.h"
#include "model/numtext.h"

#include <QCoreApplication>
#include <cmath>

namespace orv::autocal {

namespace {

// The corner values read back within this many pixels of the fit.
constexpr double kValueTolerancePx = 0.05;
// A frame this close to a rectangle (or a parallelogram) is one.
constexpr double kModeTolerancePx = 0.25;

bool cancelled(const std::atomic<bool> *c) { return c && c->load(std::memory_order_relaxed); }

QPointF normalised(QPointF p, QSize size) { return QPointF(p.x() / size.width(), 1.0 - p.y() / size.height()); }

QImage cropOf(const QImage &grey, const QRectF &r)
{
    const QRect ir = r.toAlignedRect().intersected(grey.rect());
    return ir.isEmpty() ? QImage() : grey.copy(ir);
}

QRectF padded(const QRectF &r, double height)
{
    const double m = std::max(2.0, 0.15 * height);
    return r.adjusted(-m, -m, m, m);
}

struct AxisInput {
    AxisId id;
    AxisLine reducedLine, line;
    int outward;
    std::vector<Tick> ticks;
    std::vector<Word> words;
};

// Reads the words of one axis into labels placed on the axis line.
bool readLabels(const Prepared &p, AxisInput &ax, OcrEngine &ocr, const std::atomic<bool> *cancel,
                std::vector<FoundLabel> &out, const std::function<void()> &step)
{
    const bool xAxis = ax.id == AxisId::X;
    std::vector<int> owner(ax.ticks.size(), -1);
    std::vector<double> ownerDist(ax.ticks.size(), 1e18);
    const size_t first = out.size();
    for (const Word &w : ax.words) {
        if (cancelled(cancel))
            return false;
        FoundLabel l;
        l.axis = ax.id;
        l.box = w.box;
        QRectF baseRect = padded(w.base, w.height);
        QRectF er = padded(w.exponent, w.exponent.height());
        if (!w.exponent.isEmpty()) {
            // Neither crop may take in a sliver of the other part.
            const double mid = (w.base.right() + w.exponent.left()) / 2;
            baseRect.setRight(std::min(baseRect.right(), std::max(w.base.right(), mid)));
            er.setLeft(std::max(er.left(), std::min(w.exponent.left(), mid)));
        }
        const auto base = ocr.read(cropOf(p.full, baseRect), baseRect, false);
        std::optional<OcrText> exp;
        if (!w.exponent.isEmpty())
            exp = ocr.read(cropOf(p.full, er), er, true);
        step();
        if (base) {
            l.text = base->text;
            l.confidence = base->confidence;
            if (!w.exponent.isEmpty()) {
                l.text += u'^' + (exp ? exp->text : QString());
                l.confidence = std::min(l.confidence, exp ? exp->confidence : 0.0);
                if (exp)
                    l.value = parseLabel(base->text, exp->text);
            } else {
                l.value = parseLabel(base->text, QString());
            }
        }
        l.at = ax.line.at(w.along);
        out.push_back(l);
    }
    // Each label on the nearest tick within half its extent along the axis;
    // where two want the same tick, the nearer keeps it.
    for (size_t i = first; i < out.size(); ++i) {
        const Word &w = ax.words[i - first];
        const double reach = 0.5 * (xAxis ? w.box.width() : w.box.height()) + 2;
        int best = -1;
        for (size_t t = 0; t < ax.ticks.size(); ++t)
            if (std::abs(ax.ticks[t].along - w.along) <= reach
                && (best < 0 || std::abs(ax.ticks[t].along - w.along) < std::abs(ax.ticks[size_t(best)].along - w.along)))
                best = int(t);
        if (best >= 0 && std::abs(ax.ticks[size_t(best)].along - w.along) < ownerDist[size_t(best)]) {
            if (owner[size_t(best)] >= 0)
                out[size_t(owner[size_t(best)])].onTick = false;
            owner[size_t(best)] = int(i);
            ownerDist[size_t(best)] = std::abs(ax.ticks[size_t(best)].along - w.along);
            out[i].onTick = true;
            out[i].at = ax.ticks[size_t(best)].at;
        }
    }
    for (size_t i = first; i < out.size(); ++i)
        if (!out[i].onTick)
            out[i].at = ax.line.at(ax.words[i - first].along);
    return true;
}

AxisResult fitLabels(std::vector<FoundLabel> &labels, AxisId id, const Homography &H, QSize size, double edgePx,
                     const std::vector<Tick> &ticks)
{
    // Labels on ticks when there are at least two of them; a label's own
    // centre is a rougher guide.
    int onTicks = 0;
    for (const FoundLabel &l : labels)
        onTicks += l.axis == id && l.value && l.onTick;
    std::vector<size_t> idx;
    std::vector<double> frac, val;
    for (size_t i = 0; i < labels.size(); ++i) {
        const FoundLabel &l = labels[i];
        if (l.axis != id || !l.value || (onTicks >= 2 && !l.onTick))
            continue;
        const QPointF n = normalised(l.at, size);
        const auto uv = pictureToFraction(H, n.x(), n.y());
        if (!uv)
            continue;
        idx.push_back(i);
        frac.push_back(id == AxisId::X ? uv->x() : uv->y());
        val.push_back(*l.value);
    }
    std::vector<double> tickFrac;
    for (const Tick &t : ticks) {
        const QPointF n = normalised(t.at, size);
        if (const auto uv = pictureToFraction(H, n.x(), n.y()))
            tickFrac.push_back(id == AxisId::X ? uv->x() : uv->y());
    }
    const AxisFit fit = fitAxis(frac, val, edgePx, tickFrac);
    AxisResult r;
    for (size_t k = 0; k < idx.size(); ++k) {
        labels[idx[k]].used = fit.used[k];
        labels[idx[k]].residualPx = std::isfinite(fit.residualPx[k]) ? fit.residualPx[k] : -1;
    }
    if (!fit.found)
        return r;
    // Labels kept out of the fit (no tick of their own) still get their distance from it.
    for (size_t i = 0; i < labels.size(); ++i) {
        FoundLabel &l = labels[i];
        if (l.axis != id || !l.value || l.residualPx >= 0 || (fit.log && *l.value <= 0))
            continue;
        const QPointF n = normalised(l.at, size);
        if (const auto uv = pictureToFraction(H, n.x(), n.y())) {
            const double f = id == AxisId::X ? uv->x() : uv->y();
            const double y = fit.log ? std::log10(*l.value) : *l.value;
            l.residualPx = std::abs(y - (fit.v0 + (fit.v1 - fit.v0) * f)) / std::abs(fit.v1 - fit.v0) * edgePx;
        }
    }
    r.found = true;
    r.sure = fit.sure;
    r.log = fit.log;
    r.rmsPx = fit.rmsPx;
    for (bool u : fit.used)
        r.used += u;
    const double tol = kValueTolerancePx / edgePx * std::abs(fit.v1 - fit.v0);
    r.lowText = shortestText(fit.v0, tol, fit.log);
    r.highText = shortestText(fit.v1, tol, fit.log);
    r.low = readStrict(r.lowText).value_or(0);
    r.high = readStrict(r.highText).value_or(0);
    return r;
}

} // namespace

int frameTab(const std::array<QPointF, 4> &c)
{
    const QPointF &ll = c[LL], &lu = c[LU], &ru = c[RU], &rl = c[RL];
    if (std::abs(ll.x() - lu.x()) <= kModeTolerancePx && std::abs(rl.x() - ru.x()) <= kModeTolerancePx
        && std::abs(ll.y() - rl.y()) <= kModeTolerancePx && std::abs(lu.y() - ru.y()) <= kModeTolerancePx)
        return 1;
    const QPointF d = ll + ru - lu - rl;
    if (std::abs(d.x()) <= kModeTolerancePx && std::abs(d.y()) <= kModeTolerancePx)
        return 2;
    return 3;
}

std::expected<Calibration, CalibrateError> calibrate(const QImage &picture, OcrEngine &ocr,
                                                     const std::atomic<bool> *cancel, const Progress &progress)
{
    if (picture.isNull())
        return std::unexpected(CalibrateError::EmptyPicture);
    auto report = [&](int pc) {
        if (progress)
            progress(pc);
    };
    Calibration cal;
    cal.size = picture.size();
    Prepared p = prepare(picture);
    report(10);
    if (cancelled(cancel))
        return std::unexpected(CalibrateError::Cancelled);
    const auto hs = findLines(p, true, cancel);
    report(25);
    const auto vs = findLines(p, false, cancel);
    report(40);
    if (cancelled(cancel))
        return std::unexpected(CalibrateError::Cancelled);
    const auto frame = chooseFrame(hs, vs);
    if (!frame)
        return cal;
    cal.frameFound = true;
    const AxisLine bottom = refineLine(p, frame->bottom), left = refineLine(p, frame->left);
    std::optional<AxisLine> top, right;
    if (frame->top)
        top = refineLine(p, *frame->top);
    if (frame->right)
        right = refineLine(p, *frame->right);
    cal.fullBox = top && right;
    // Corners where the lines meet; without a top or right line, where the
    // axis lines end.
    const QPointF ll = intersect(bottom, left).value_or(left.at(left.a1));
    const QPointF lu = top ? intersect(*top, left).value_or(left.at(left.a0)) : left.at(left.a0);
    const QPointF rl = right ? intersect(bottom, *right).value_or(bottom.at(bottom.a1)) : bottom.at(bottom.a1);
    QPointF ru = lu + rl - ll;
    if (top && right)
        ru = intersect(*top, *right).value_or(ru);
    cal.corner = {ll, lu, ru, rl};
    cal.tab = frameTab(cal.corner);
    if (cal.tab == 1) {
        // Exactly a rectangle, as the panel derives it.
        cal.corner[LU] = QPointF(ll.x(), ru.y());
        cal.corner[RL] = QPointF(ru.x(), ll.y());
    }
    std::array<QPointF, 4> nc;
    for (int i = 0; i < 4; ++i)
        nc[size_t(i)] = normalised(cal.corner[size_t(i)], cal.size);
    const auto H = squareToQuad(nc);
    if (!H) {
        cal.frameFound = false;
        return cal;
    }

    // Ticks, then the lines and ticks cleared so that only text is left beside them.
    std::vector<AxisInput> axes;
    axes.push_back({AxisId::X, frame->bottom, bottom, +1, findTicks(p, frame->bottom, bottom, +1), {}});
    axes.push_back({AxisId::Y, frame->left, left, -1, findTicks(p, frame->left, left, -1), {}});
    if (right)
        axes.push_back({AxisId::RightY, *frame->right, *right, +1, findTicks(p, *frame->right, *right, +1), {}});
    Prepared text = p;
    for (const AxisLine *l : {&bottom, &left})
        eraseLine(text, *l, 1.5);
    if (top)
        eraseLine(text, *top, 1.5);
    if (right)
        eraseLine(text, *right, 1.5);
    for (const AxisInput &a : axes)
        eraseTicks(text, a.line, a.ticks, a.outward);
    for (const AxisInput &a : axes)
        for (const Tick &t : a.ticks)
            if (a.id != AxisId::RightY)
                cal.ticks.push_back(t.at);
    report(50);
    const auto comps = components(text);
    size_t total = 0;
    for (AxisInput &a : axes) {
        a.words = labelWords(text, comps, a.line, a.outward, a.id == AxisId::X);
        // The other Y axis is only named, a dozen labels tell it.
        if (a.id == AxisId::RightY && a.words.size() > 12)
            a.words.resize(12);
        total += a.words.size();
    }
    size_t done = 0;
    auto step = [&] { report(55 + int(40 * ++done / std::max<size_t>(1, total))); };
    for (AxisInput &a : axes)
        if (!readLabels(p, a, ocr, cancel, cal.labels, step))
            return std::unexpected(CalibrateError::Cancelled);

    const double xEdge = std::hypot(cal.corner[RL].x() - cal.corner[LL].x(), cal.corner[RL].y() - cal.corner[LL].y());
    const double yEdge = std::hypot(cal.corner[LU].x() - cal.corner[LL].x(), cal.corner[LU].y() - cal.corner[LL].y());
    cal.x = fitLabels(cal.labels, AxisId::X, *H, cal.size, xEdge, axes[0].ticks);
    cal.y = fitLabels(cal.labels, AxisId::Y, *H, cal.size, yEdge, axes[1].ticks);
    if (right) {
        int numbers = 0;
        for (const FoundLabel &l : cal.labels)
            numbers += l.axis == AxisId::RightY && l.value.has_value();
        cal.rightAxis = numbers >= 2;
    }
    cal.missing = cal.x.found && cal.y.found ? Missing::None
                  : cal.x.found              ? Missing::YLabels
                  : cal.y.found              ? Missing::XLabels
                                             : Missing::BothLabels;
    report(100);
    return cal;
}

void applyToPanel(const Calibration &c, CalibPanel &panel, const std::function<void(int tab)> &selectTab)
{
    if (!c.frameFound)
        return;
    if (selectTab)
        selectTab(c.tab);
    else
        panel.selectTab(c.tab);
    for (int i = 0; i < 4; ++i) {
        const QPointF n = normalised(c.corner[size_t(i)], c.size);
        if (c.tab == 1 && (i == LU || i == RL))
            continue;
        panel.setPos(CalibPanel::xBox(Corner(i)), plainNumText(float(n.x())));
        panel.setPos(CalibPanel::yBox(Corner(i)), plainNumText(float(n.y())));
    }
    if (c.x.found) {
        panel.setVal(CalibPanel::LLX_VLText, c.x.lowText);
        panel.setVal(CalibPanel::RUX_VLText, c.x.highText);
        panel.setXLog(c.x.log);
    }
    if (c.y.found) {
        panel.setVal(CalibPanel::LLY_VLText, c.y.lowText);
        panel.setVal(CalibPanel::RUY_VLText, c.y.highText);
        panel.setYLog(c.y.log);
    }
}

QString missingText(Missing m)
{
    switch (m) {
    case Missing::None: return {};
    case Missing::AxisLines: return QCoreApplication::translate("AutoCal", "軸の線が見つかりません");
    case Missing::XLabels: return QCoreApplication::translate("AutoCal", "X軸で読める目盛りの数値が2つ未満です");
    case Missing::YLabels: return QCoreApplication::translate("AutoCal", "Y軸で読める目盛りの数値が2つ未満です");
    case Missing::BothLabels: return QCoreApplication::translate("AutoCal", "X軸とY軸で読める目盛りの数値が2つ未満です");
    }
    return {};
}

QString missingTextEnglish(Missing m)
{
    switch (m) {
    case Missing::None: return {};
    case Missing::AxisLines: return QStringLiteral("no axis lines");
    case Missing::XLabels: return QStringLiteral("fewer than two readable labels on the X axis");
    case Missing::YLabels: return QStringLiteral("fewer than two readable labels on the Y axis");
    case Missing::BothLabels: return QStringLiteral("fewer than two readable labels on the X and Y axes");
    }
    return {};
}

QString axisName(AxisId a)
{
    switch (a) {
    case AxisId::X: return QStringLiteral("X");
    case AxisId::Y: return QStringLiteral("Y");
    case AxisId::RightY: return QStringLiteral("Y2");
    }
    return {};
}

} // namespace orv::autocal
