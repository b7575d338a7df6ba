#include "model/graph_model.h"

namespace orv {

GraphModel::GraphModel(QObject *parent) : QObject(parent) {}

void GraphModel::setLoaded(bool loaded)
{
    if (m_loaded == loaded)
        return;
    m_loaded = loaded;
    Q_EMIT loadedChanged(loaded);
}

void GraphModel::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    Q_EMIT captionChanged(caption);
}

void GraphModel::setPicture(const QImage &img) { setPicture(img, img.size()); }

void GraphModel::setPicture(const QImage &reduced, QSize natural)
{
    m_picture = reduced;
    m_natural = reduced.isNull() ? QSize() : natural;
    Q_EMIT pictureChanged();
}

bool GraphModel::refinePicture(const QImage &full)
{
    if (m_picture.isNull() || full.size() != m_natural)
        return false;
    m_picture = full;
    Q_EMIT pictureRefined();
    return true;
}

void GraphModel::loadPick(int id, const Marker &m)
{
    if (id <= 0 || id > 255)
        return;
    m_pick[size_t(id)] = m;
    Q_EMIT pickChanged(id);
}

void GraphModel::unloadPick(int id)
{
    if (id <= 0 || id > 255 || !m_pick[size_t(id)])
        return;
    m_pick[size_t(id)].reset();
    Q_EMIT pickChanged(id);
}

void GraphModel::setPickToolTip(int id, const QString &tip)
{
    if (!hasPick(id))
        return;
    m_pick[size_t(id)]->toolTip = tip;
    Q_EMIT pickChanged(id);
}

void GraphModel::movePick(int id, float left, float top)
{
    if (!hasPick(id))
        return;
    m_pick[size_t(id)]->left = left;
    m_pick[size_t(id)]->top = top;
    Q_EMIT pickChanged(id);
}

int GraphModel::pickCount() const
{
    int n = 0;
    for (size_t i = 1; i < m_pick.size(); ++i)
        n += m_pick[i].has_value();
    return n;
}

void GraphModel::setDfnt(int i, const Marker &m)
{
    if (i < 0 || i > 3)
        return;
    m_dfnt[size_t(i)] = m;
    Q_EMIT dfntChanged(i);
}

void GraphModel::setDfntVisible(int i, bool visible)
{
    if (i < 0 || i > 3 || m_dfnt[size_t(i)].visible == visible)
        return;
    m_dfnt[size_t(i)].visible = visible;
    Q_EMIT dfntChanged(i);
}

void GraphModel::setSelShape(const Ring &r)
{
    m_selShape = r;
    Q_EMIT ringsChanged();
}

void GraphModel::setSelShapePt(const Ring &r)
{
    m_selShapePt = r;
    Q_EMIT ringsChanged();
}

void GraphModel::hideRings()
{
    if (!m_selShape.visible && !m_selShapePt.visible)
        return;
    m_selShape.visible = false;
    m_selShapePt.visible = false;
    Q_EMIT ringsChanged();
}

void GraphModel::hideSelShape()
{
    if (!m_selShape.visible)
        return;
    m_selShape.visible = false;
    Q_EMIT ringsChanged();
}

void GraphModel::hideSelShapePt()
{
    if (!m_selShapePt.visible)
        return;
    m_selShapePt.visible = false;
    Q_EMIT ringsChanged();
}

void GraphModel::setGridVisible(bool on)
{
    if (m_gridVisible == on)
        return;
    m_gridVisible = on;
    Q_EMIT gridVisibleChanged(on);
}

void GraphModel::setFrameLines(std::vector<QLineF> lines)
{
    m_frame = std::move(lines);
    Q_EMIT frameChanged();
}

std::vector<QLineF> GraphModel::outlineOf(const std::array<std::optional<float>, 8> &v)
{
    std::vector<QLineF> lines;
    for (int k = 0; k < 4; ++k) {
        const size_t a = size_t(2 * k), b = size_t(2 * ((k + 1) % 4));
        if (v[a] && v[a + 1] && v[b] && v[b + 1])
            lines.emplace_back(*v[a], *v[a + 1], *v[b], *v[b + 1]);
    }
    return lines;
}

} // namespace orv
