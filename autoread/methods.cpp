#include "autoread/methods.h"

#include "autoread/read_common.h"
#include "autoread/read_internal.h"
#include "model/numtext.h"

#include <QCoreApplication>
#include <cmath>

namespace orv::autoread {

using namespace detail;

QThreadPool &detail::computePool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        return p;
    }();
    return *pool;
}

bool detail::finishPoint(const ReadJob &job, QSize size, QPointF pixel, FoundPoint &p)
{
    p.pixel = pixel;
    p.normalised = toNormalised(pixel, size);
    return job.panel && job.map->toValue(*job.panel, float(p.normalised.x()), float(p.normalised.y()), p.X, p.Y);
}

ReadArea::ReadArea(const FrameSpec &frame, QSize size, double margin, std::optional<QRectF> limit)
    : m_margin(margin), m_limit(limit)
{
    for (int i = 0; i < 4; ++i)
        m_corner[size_t(i)] = toPixel(frame.corner[size_t(i)], size);
    double twice = 0;
    for (int i = 0; i < 4; ++i)
        twice += cross2(m_corner[size_t(i)], m_corner[size_t((i + 1) % 4)]);
    m_orient = twice >= 0 ? 1 : -1;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const QPointF &c : m_corner) {
        x0 = std::min(x0, c.x());
        y0 = std::min(y0, c.y());
        x1 = std::max(x1, c.x());
        y1 = std::max(y1, c.y());
    }
    if (limit) {
        x0 = std::max(x0, limit->left());
        y0 = std::max(y0, limit->top());
        x1 = std::min(x1, limit->right());
        y1 = std::min(y1, limit->bottom());
    }
    if (!(x1 > x0 && y1 > y0) || std::abs(twice) < 1e-9 || !std::isfinite(twice))
        return;
    // Signed distance to each edge, positive inside, whichever way the corners turn.
    for (int i = 0; i < 4; ++i) {
        const QPointF a = m_corner[size_t(i)], e = m_corner[size_t((i + 1) % 4)] - a;
        const double len = std::hypot(e.x(), e.y());
        if (!(len > 0))
            return;
        const double nx = -m_orient * e.y() / len, ny = m_orient * e.x() / len;
        m_edge[size_t(i)] = {nx, ny, -(nx * a.x() + ny * a.y())};
    }
    const QRect r(QPoint(int(std::floor(std::max(x0, -1e9))), int(std::floor(std::max(y0, -1e9)))),
                  QPoint(int(std::ceil(std::min(x1, 1e9))) - 1, int(std::ceil(std::min(y1, 1e9))) - 1));
    m_bounds = r.intersected(QRect(QPoint(0, 0), size));
}

bool ReadArea::contains(double x, double y) const
{
    if (m_bounds.isEmpty())
        return false;
    if (m_limit && !(x >= m_limit->left() && x < m_limit->right() && y >= m_limit->top() && y < m_limit->bottom()))
        return false;
    for (const Edge &e : m_edge)
        if (e.nx * x + e.ny * y + e.c < m_margin)
            return false;
    return true;
}

bool ReadArea::rowSpan(int y, int &x0, int &x1) const
{
    if (y < m_bounds.top() || y > m_bounds.bottom())
        return false;
    const double yc = y + 0.5;
    double lo = m_bounds.left() + 0.5, hi = m_bounds.right() + 0.5;
    if (m_limit) {
        if (!(yc >= m_limit->top() && yc < m_limit->bottom()))
            return false;
        lo = std::max(lo, m_limit->left());
        hi = std::min(hi, std::nextafter(m_limit->right(), -1e300));
    }
    for (const Edge &e : m_edge) {
        // nx * x + ny * yc + c >= margin
        const double rest = m_margin - e.ny * yc - e.c;
        if (std::abs(e.nx) < 1e-12) {
            if (rest > 0)
                return false;
        } else if (e.nx > 0) {
            lo = std::max(lo, rest / e.nx);
        } else {
            hi = std::min(hi, rest / e.nx);
        }
    }
    x0 = std::max(m_bounds.left(), int(std::ceil(lo - 0.5)));
    x1 = std::min(m_bounds.right(), int(std::floor(hi - 0.5)));
    // Rounding at the very edge: the pixel test decides.
    while (x0 <= x1 && !contains(x0 + 0.5, yc))
        ++x0;
    while (x1 >= x0 && !contains(x1 + 0.5, yc))
        --x1;
    return x0 <= x1;
}

QString readErrorText(ReadError e)
{
    switch (e) {
    case ReadError::NoFrame: return QCoreApplication::translate("AutoRead", "枠線が定義されていないか、枠線の値を読めません。");
    case ReadError::BadRange: return QCoreApplication::translate("AutoRead", "範囲(開始・終了)が不正です。");
    case ReadError::BadStep: return QCoreApplication::translate("AutoRead", "刻み又は点数が不正です。");
    case ReadError::NoPicture: return QCoreApplication::translate("AutoRead", "画像がありません。");
    case ReadError::RangeTooWide:
        return QCoreApplication::translate("AutoRead", "範囲(開始・終了)は有限で、枠線の範囲の幅の100万倍以内(対数軸では桁数)にして下さい。");
    case ReadError::EqualEnds:
        return QCoreApplication::translate("AutoRead", "開始と終了が同じです(同じ値で読めるのは1点だけです)。");
    case ReadError::FrameZeroSize:
        return QCoreApplication::translate("AutoRead", "枠線の大きさが0です(角が面積を囲んでいません)。");
    case ReadError::FrameEqualX: return QCoreApplication::translate("AutoRead", "枠線の2つのX値が同じです。");
    case ReadError::FrameEqualY: return QCoreApplication::translate("AutoRead", "枠線の2つのY値が同じです。");
    }
    return {};
}

QString absenceText(const ReadResult &r)
{
    switch (r.absence) {
    case ReadResult::Absence::None: return {};
    case ReadResult::Absence::NoSuchColour:
        if (r.nearestDistance < 0)
            return QCoreApplication::translate("AutoRead", "読み取る範囲に色がありません。");
        return QCoreApplication::translate("AutoRead", "この色は画像にありません(ΔE %1 以内に該当なし)。最も近い色は %2 (ΔE %3) です。")
            .arg(r.toleranceUsed, 0, 'f', 1)
            .arg(QColor(r.nearestColour).name().toUpper())
            .arg(r.nearestDistance, 0, 'f', 1);
    case ReadResult::Absence::OnlyLines:
        return QCoreApplication::translate("AutoRead", "この色は線だけです：X刻みかY刻みを使って下さい");
    }
    return {};
}

QString frameProblemText(const CalibPanel &p)
{
    for (int c = 0; c < 4; ++c)
        for (auto box : {CalibPanel::xBox(Corner(c)), CalibPanel::yBox(Corner(c))})
            if (auto v = readStrict(p.pos(box)); !v || !std::isfinite(*v))
                return QCoreApplication::translate("AutoRead", "枠線の角の位置が定義されていません。");
    struct Axis {
        const char *letter;
        bool log;
        CalibPanel::ValBox a, b;
    };
    const Axis axes[2] = {{"X", p.xLog(), CalibPanel::LLX_VLText, CalibPanel::RUX_VLText},
                          {"Y", p.yLog(), CalibPanel::LLY_VLText, CalibPanel::RUY_VLText}};
    for (const Axis &ax : axes) {
        const QString L = QString::fromLatin1(ax.letter);
        double v[2];
        int i = 0;
        for (auto box : {ax.a, ax.b}) {
            auto r = readStrict(p.val(box));
            if (!r || !std::isfinite(*r))
                return QCoreApplication::translate("AutoRead", "枠線の%1値「%2」は数値ではありません。").arg(L, p.val(box));
            v[i++] = *r;
        }
        if (ax.log && (v[0] == 0 || v[1] == 0))
            return QCoreApplication::translate("AutoRead", "%1軸は対数ですが、枠線の%1値に0が含まれています。").arg(L);
        if (ax.log && (v[0] < 0 || v[1] < 0))
            return QCoreApplication::translate("AutoRead", "%1軸は対数ですが、枠線の%1値に負の値が含まれています。").arg(L);
        if (v[0] == v[1])
            return readErrorText(ax.letter[0] == 'X' ? ReadError::FrameEqualX : ReadError::FrameEqualY);
    }
    auto f = readFrame(p);
    if (!f)
        return convErrorText(f.error());
    double twice = 0;
    for (int i = 0; i < 4; ++i)
        twice += cross2(f->corner[size_t(i)], f->corner[size_t((i + 1) % 4)]);
    if (!(std::abs(twice) > 1e-12))
        return readErrorText(ReadError::FrameZeroSize);
    return {};
}

std::expected<std::vector<double>, ReadError> stepValues(const FrameSpec &f, bool alongY, const StepOptions &o)
{
    if (!o.values.empty())
        return o.values;
    const bool log = alongY ? f.yLog : f.xLog;
    double a = alongY ? f.ya : f.xa, b = alongY ? f.yb : f.xb;
    if (!std::isfinite(a) || !std::isfinite(b))
        return std::unexpected(ReadError::NoFrame);
    if (a == b)
        return std::unexpected(alongY ? ReadError::FrameEqualY : ReadError::FrameEqualX);
    // Ends far outside the frame would only walk empty lines, and overflow.
    const double span = std::abs(b - a), lo = std::min(a, b) - 1e6 * span, hi = std::max(a, b) + 1e6 * span;
    auto axis = [&](double v) -> std::expected<double, ReadError> {
        if (!std::isfinite(v))
            return std::unexpected(ReadError::RangeTooWide);
        if (log && v <= 0)
            return std::unexpected(ReadError::BadRange);
        const double t = log ? std::log10(v) : v;
        if (!(t >= lo && t <= hi))
            return std::unexpected(ReadError::RangeTooWide);
        return t;
    };
    if (o.from) {
        auto v = axis(*o.from);
        if (!v)
            return std::unexpected(v.error());
        a = *v;
    }
    if (o.to) {
        auto v = axis(*o.to);
        if (!v)
            return std::unexpected(v.error());
        b = *v;
    }
    std::vector<double> out;
    constexpr int kMaxValues = 100000;
    if (a == b && (o.step || o.points != 1))
        return std::unexpected(ReadError::EqualEnds);
    if (o.step) {
        double s = *o.step;
        if (log) {
            if (!(s > 1) || !std::isfinite(s))
                return std::unexpected(ReadError::BadStep);
            s = std::log10(s);
        } else if (!(s > 0) || !std::isfinite(s)) {
            return std::unexpected(ReadError::BadStep);
        }
        const double count = std::floor(std::abs(b - a) / s + 1e-9) + 1;
        if (!(count <= kMaxValues))
            return std::unexpected(ReadError::BadStep);
        const double dir = b >= a ? 1 : -1;
        for (int i = 0; i < int(count); ++i)
            out.push_back(a + dir * i * s);
    } else {
        if (o.points < 1 || o.points > kMaxValues)
            return std::unexpected(ReadError::BadStep);
        if (o.points == 1)
            out.push_back(a);
        for (int i = 0; o.points > 1 && i < o.points; ++i)
            out.push_back(i == o.points - 1 ? b : a + (b - a) * i / (o.points - 1));
    }
    return out;
}

std::expected<ReadResult, ReadError> runRead(const ReadJob &job, const Progress &progress)
{
    if (job.picture.isNull())
        return std::unexpected(ReadError::NoPicture);
    if (!job.map || !job.panel)
        return std::unexpected(ReadError::NoFrame);
    const FrameSpec &f = job.frame;
    if (!std::isfinite(f.xa) || !std::isfinite(f.xb) || !std::isfinite(f.ya) || !std::isfinite(f.yb))
        return std::unexpected(ReadError::NoFrame);
    if (f.xa == f.xb)
        return std::unexpected(ReadError::FrameEqualX);
    if (f.ya == f.yb)
        return std::unexpected(ReadError::FrameEqualY);
    Prepared prep;
    prep.img = rgb32(job.picture);
    double twice = 0;
    for (int i = 0; i < 4; ++i)
        twice += cross2(toPixel(f.corner[size_t(i)], prep.img.size()), toPixel(f.corner[size_t((i + 1) % 4)], prep.img.size()));
    if (!(std::abs(twice) >= 1)) // less than half a pixel of area
        return std::unexpected(ReadError::FrameZeroSize);
    std::vector<double> values;
    if (job.method != Method::Markers) {
        auto v = stepValues(f, job.method == Method::YSteps, job.steps);
        if (!v)
            return std::unexpected(v.error());
        values = std::move(*v);
    }
    prep.area = ReadArea(f, prep.img.size(), job.margin, job.limit);
    ReadResult res;
    res.skipped = int(values.size());
    if (prep.area.isEmpty())
        return res;
    if (progress.cancelled()) {
        res.cancelled = true;
        return res;
    }
    prep.classes = ColourClasses::analyse(prep.img, prep.area, job.exclusions);
    prep.claim = claimColour(prep.classes, job.colour, job.autoTolerance ? std::nullopt : std::optional(job.tolerance));
    res.toleranceUsed = prep.claim.tolerance;
    res.nearestColour = prep.claim.nearest;
    res.nearestDistance = prep.claim.nearestDistance;
    if (prep.claim.cluster < 0) {
        res.absence = ReadResult::Absence::NoSuchColour;
        return res;
    }
    res.claimedColour = prep.claim.centre;
    if (progress.cancelled()) {
        res.cancelled = true;
        return res;
    }
    prep.pixels = std::make_unique<PixelClasses>(prep.classes, prep.claim);
    ReadResult found = job.method == Method::Markers ? readMarkers(job, prep, progress) : readSteps(job, prep, values, progress);
    found.toleranceUsed = res.toleranceUsed;
    found.claimedColour = res.claimedColour;
    found.nearestColour = res.nearestColour;
    found.nearestDistance = res.nearestDistance;
    if (progress.cancelled()) {
        found.points.clear();
        found.cancelled = true;
    }
    return found;
}

QImage matchTint(const QImage &picture, const ReadArea &area, const ColourMatcher &matcher, QRgb tint,
                 const Progress &progress)
{
    const QImage img = rgb32(picture);
    QImage out(img.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const QRect b = area.bounds();
    const QRgb pm = qPremultiply(tint);
    uchar *bits = out.bits();
    const qsizetype bpl = out.bytesPerLine();
    forChunks(b.height(), [&](int from, int to) {
        ColourMatcher m(matcher.target(), matcher.tolerance());
        for (int r = from; r < to && !progress.cancelled(); ++r) {
            const int y = b.top() + r;
            int x0 = 0, x1 = -1;
            if (!area.rowSpan(y, x0, x1))
                continue;
            const QRgb *in = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            QRgb *o = reinterpret_cast<QRgb *>(bits + y * bpl);
            for (int x = x0; x <= x1; ++x)
                if (m.matches(in[x]))
                    o[x] = pm;
        }
    });
    return out;
}

} // namespace orv::autoread
