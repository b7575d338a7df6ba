#include "autoread/autoread_overlay.h"

#include "graphwin/graph_form_widget.h"

#include <QPainter>
#include <cmath>

namespace orv::autoread {

AutoReadOverlay::AutoReadOverlay(AutoReadPanel &panel, GraphPictureArea *area)
    : QWidget(area), m_panel(panel), m_area(area)
{
    setObjectName(QStringLiteral("AutoReadOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(area->rect());
    for (auto signal : {&AutoReadPanel::tintChanged, &AutoReadPanel::candidatesChanged, &AutoReadPanel::limitChanged,
                        &AutoReadPanel::exclusionsChanged})
        connect(&panel, signal, this, qOverload<>(&QWidget::update));
    show();
    raise();
    updateTintView();
}

void AutoReadOverlay::setDragRect(const QRect &r, bool exclusion)
{
    m_drag = r;
    m_dragExclusion = exclusion;
    update();
}

QRectF AutoReadOverlay::pictureRect() const { return QRectF(m_area->toPixels(0, 1), m_area->toPixels(1, 0)); }

void AutoReadOverlay::updateTintView()
{
    const QSize pic = m_panel.reading().graph.picture().size();
    const QRectF p = pictureRect();
    const QRectF view = QRectF(m_area->visibleRegion().boundingRect()).intersected(p);
    if (pic.isEmpty() || p.isEmpty() || view.isEmpty()) {
        m_panel.setTintView(QRectF(), QSize());
        return;
    }
    const double scale = p.width() / pic.width();
    const QRectF source((view.left() - p.left()) / scale, (view.top() - p.top()) / scale, view.width() / scale,
                        view.height() / scale);
    // Never finer than the picture itself (zoomed in, the painter enlarges).
    const QSize size(std::max(1, int(std::ceil(std::min(view.width(), source.width())))),
                     std::max(1, int(std::ceil(std::min(view.height(), source.height())))));
    m_panel.setTintView(source, size);
}

void AutoReadOverlay::paintEvent(QPaintEvent *)
{
    updateTintView(); // scrolled or zoomed: the tint follows
    QPainter p(this);
    const QRectF picture = pictureRect();
    const QSize pic = m_panel.reading().graph.picture().size();
    if (!m_panel.tint().isNull() && !pic.isEmpty()) {
        const double scale = picture.width() / pic.width();
        const QRectF s = m_panel.tintSource();
        p.drawImage(QRectF(picture.left() + s.left() * scale, picture.top() + s.top() * scale, s.width() * scale,
                           s.height() * scale),
                    m_panel.tint());
    }
    p.setRenderHint(QPainter::Antialiasing);
    auto toArea = [this](const QRectF &n) {
        return QRectF(m_area->toPixels(float(n.left()), float(n.bottom())), m_area->toPixels(float(n.right()), float(n.top())));
    };
    if (auto lim = m_panel.limit()) {
        p.setPen(QPen(QColor(0, 120, 255), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(toArea(*lim));
    }
    // Excluded rectangles hatched, so that what lies under them stays visible.
    QColor hatch = exclusionColour();
    hatch.setAlpha(110);
    for (const QRectF &e : m_panel.exclusions()) {
        p.setPen(QPen(exclusionColour(), 1, Qt::DashLine));
        p.setBrush(QBrush(hatch, Qt::BDiagPattern));
        p.drawRect(toArea(e));
    }
    if (!m_drag.isEmpty()) {
        p.setPen(QPen(m_dragExclusion ? exclusionColour() : QColor(0, 120, 255), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(m_drag);
    }
    // The candidates as hollow rings, so that the curve stays visible inside;
    // once added, the points' own markers show them.
    if (m_panel.candidatesAdded())
        return;
    for (const FoundPoint &f : m_panel.candidates().points) {
        p.setPen(QPen(f.merged ? mergedColour() : candidateColour(), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(m_area->toPixels(float(f.normalised.x()), float(f.normalised.y())), 4.5, 4.5);
    }
}

} // namespace orv::autoread
