#include "model/frame_map.h"

#include "model/conv_pt.h"

#include <Eigen/Dense>
#include <cmath>

namespace orv {

namespace {

std::expected<double, ConvError> axisValue(const CalibPanel &p, bool log, CalibPanel::ValBox box)
{
    auto v = p.value(box);
    if (!v || !log)
        return v;
    if (*v <= 0)
        return std::unexpected(ConvError::InvalidArgument);
    return std::log10(*v);
}

// Fraction -> axis value, and back from log10 space on a log axis.
std::expected<double, ConvError> axisAt(double a, double b, bool log, double t)
{
    double v = a + t * (b - a);
    if (log)
        v = std::pow(10.0, v);
    if (!std::isfinite(v))
        return std::unexpected(ConvError::Degenerate);
    return v;
}

class BilinearMap final : public FrameMap {
public:
    std::expected<void, ConvError> toValue(const CalibPanel &panel, float px, float py, double &convX,
                                           double &convY) const override
    {
        return convPt(panel, px, py, convX, convY);
    }
    std::expected<QPointF, ConvError> fractionToPicture(const FrameSpec &f, double u, double v) const override
    {
        const auto &c = f.corner;
        const QPointF p = (1 - u) * (1 - v) * c[LL] + (1 - u) * v * c[LU] + u * v * c[RU] + u * (1 - v) * c[RL];
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return std::unexpected(ConvError::Degenerate);
        return p;
    }
};

class ProjectiveMap final : public FrameMap {
public:
    std::expected<void, ConvError> toValue(const CalibPanel &panel, float px, float py, double &convX,
                                           double &convY) const override
    {
        auto f = readFrame(panel);
        if (!f)
            return std::unexpected(f.error());
        auto H = squareToQuad(f->corner);
        if (!H)
            return std::unexpected(H.error());
        auto uv = pictureToFraction(*H, px, py);
        if (!uv)
            return std::unexpected(uv.error());
        auto x = axisAt(f->xa, f->xb, f->xLog, uv->x());
        if (!x)
            return std::unexpected(x.error());
        convX = *x;
        auto y = axisAt(f->ya, f->yb, f->yLog, uv->y());
        if (!y)
            return std::unexpected(y.error());
        convY = *y;
        return {};
    }
    std::expected<QPointF, ConvError> fractionToPicture(const FrameSpec &f, double u, double v) const override
    {
        auto H = squareToQuad(f.corner);
        if (!H)
            return std::unexpected(H.error());
        const auto &h = H->h;
        const double w = h[6] * u + h[7] * v + h[8];
        const QPointF p((h[0] * u + h[1] * v + h[2]) / w, (h[3] * u + h[4] * v + h[5]) / w);
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return std::unexpected(ConvError::Degenerate);
        return p;
    }
};

double cross(QPointF a, QPointF b, QPointF c)
{
    return (b.x() - a.x()) * (c.y() - b.y()) - (b.y() - a.y()) * (c.x() - b.x());
}

} // namespace

std::array<std::optional<float>, 8> cornerPositions(const CalibPanel &p)
{
    std::array<std::optional<float>, 8> v;
    for (int i = 0; i < CalibPanel::PosBoxCount; ++i) {
        const auto n = readStrict(p.pos(CalibPanel::PosBox(i)));
        if (n && std::isfinite(float(*n)))
            v[size_t(i)] = float(*n);
    }
    return v;
}

std::expected<FrameSpec, ConvError> readFrame(const CalibPanel &p)
{
    FrameSpec f;
    for (int c = 0; c < 4; ++c) {
        auto x = readStrict(p.pos(CalibPanel::xBox(Corner(c))));
        if (!x)
            return std::unexpected(x.error());
        auto y = readStrict(p.pos(CalibPanel::yBox(Corner(c))));
        if (!y)
            return std::unexpected(y.error());
        if (!std::isfinite(*x) || !std::isfinite(*y))
            return std::unexpected(ConvError::Degenerate);
        f.corner[size_t(c)] = QPointF(*x, *y);
    }
    f.xLog = p.xLog();
    f.yLog = p.yLog();
    const std::pair<CalibPanel::ValBox, double *> vals[4] = {{CalibPanel::LLX_VLText, &f.xa},
                                                             {CalibPanel::RUX_VLText, &f.xb},
                                                             {CalibPanel::LLY_VLText, &f.ya},
                                                             {CalibPanel::RUY_VLText, &f.yb}};
    for (int i = 0; i < 4; ++i) {
        auto v = axisValue(p, i < 2 ? f.xLog : f.yLog, vals[i].first);
        if (!v)
            return std::unexpected(v.error());
        if (!std::isfinite(*v))
            return std::unexpected(ConvError::Degenerate);
        *vals[i].second = *v;
    }
    return f;
}

std::expected<Homography, ConvError> squareToQuad(const std::array<QPointF, 4> &c)
{
    // Strictly convex, turning the same way at every corner: otherwise three
    // corners are on a line or the frame folds over itself, and no homography
    // maps the square's inside onto it.
    double turn[4];
    double scale = 0;
    for (int i = 0; i < 4; ++i) {
        turn[i] = cross(c[size_t((i + 3) % 4)], c[size_t(i)], c[size_t((i + 1) % 4)]);
        const QPointF e = c[size_t((i + 1) % 4)] - c[size_t(i)];
        scale = std::max(scale, e.x() * e.x() + e.y() * e.y());
    }
    const double eps = 1e-12 * scale;
    for (int i = 0; i < 4; ++i)
        if (!(std::abs(turn[i]) > eps) || (turn[i] > 0) != (turn[0] > 0))
            return std::unexpected(ConvError::Degenerate);

    // x = (h0 u + h1 v + h2) / (h6 u + h7 v + 1), likewise y with h3..h5.
    static constexpr double su[4] = {0, 0, 1, 1}, sv[4] = {0, 1, 1, 0};
    Eigen::Matrix<double, 8, 8> A;
    Eigen::Matrix<double, 8, 1> b;
    for (int i = 0; i < 4; ++i) {
        const double u = su[i], v = sv[i], x = c[size_t(i)].x(), y = c[size_t(i)].y();
        A.row(2 * i) << u, v, 1, 0, 0, 0, -u * x, -v * x;
        A.row(2 * i + 1) << 0, 0, 0, u, v, 1, -u * y, -v * y;
        b(2 * i) = x;
        b(2 * i + 1) = y;
    }
    const Eigen::Matrix<double, 8, 1> s = A.partialPivLu().solve(b);
    Eigen::Matrix3d H;
    H << s(0), s(1), s(2), s(3), s(4), s(5), s(6), s(7), 1.0;
    const double det = H.determinant();
    if (!std::isfinite(det) || det == 0)
        return std::unexpected(ConvError::Degenerate);
    const Eigen::Matrix3d Hi = H.inverse();
    Homography out;
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) {
            out.h[size_t(3 * r + k)] = H(r, k);
            out.inv[size_t(3 * r + k)] = Hi(r, k);
        }
    for (double v : out.inv)
        if (!std::isfinite(v))
            return std::unexpected(ConvError::Degenerate);
    // The inside of the frame lies on one side of the vanishing line: the side
    // of the frame's centre.
    const QPointF mid = (c[0] + c[1] + c[2] + c[3]) / 4;
    out.wMid = out.inv[6] * mid.x() + out.inv[7] * mid.y() + out.inv[8];
    if (!std::isfinite(out.wMid) || out.wMid == 0)
        return std::unexpected(ConvError::Degenerate);
    return out;
}

std::expected<QPointF, ConvError> pictureToFraction(const Homography &H, double px, double py)
{
    const auto &m = H.inv;
    const double w = m[6] * px + m[7] * py + m[8];
    // On the vanishing line the chart's plane is at infinity; beyond it the
    // picture shows nothing of the chart. Either way there is no value.
    if (!(w / H.wMid > 1e-6))
        return std::unexpected(ConvError::Degenerate);
    const QPointF uv((m[0] * px + m[1] * py + m[2]) / w, (m[3] * px + m[4] * py + m[5]) / w);
    if (!std::isfinite(uv.x()) || !std::isfinite(uv.y()))
        return std::unexpected(ConvError::Degenerate);
    return uv;
}

const FrameMap &bilinearFrameMap()
{
    static const BilinearMap m;
    return m;
}

const FrameMap &projectiveFrameMap()
{
    static const ProjectiveMap m;
    return m;
}

const FrameMap &frameMap(const CalibPanel &panel)
{
    return panel.isProjective() ? projectiveFrameMap() : bilinearFrameMap();
}

} // namespace orv
