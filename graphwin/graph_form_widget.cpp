#include "graphwin/graph_form_widget.h"

#include "model/startup_trace.h"
#include "model/utilities.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPainter>
#include <QScrollArea>
#include <QToolTip>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace orv {

namespace {
constexpr int kMarkerPx = 9;
constexpr double kTwips = kTwipsPerPixel;
int px(double twips) { return twipsToPx(twips); }
} // namespace

// ---------------------------------------------------------------------------
// Picture area

GraphPictureArea::GraphPictureArea(Graph_Form &form, ViewScale &scale, QWidget *parent)
    : QWidget(parent), m_form(form), r(form.reading()), m_scale(scale),
      m_pointIcon(markerIcon(QColor(0, 0, 255), QColor(0, 128, 192))),
      m_cornerIcon(markerIcon(QColor(255, 0, 0), QColor(255, 0, 255)))
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    connect(&r.graph, &GraphModel::pickChanged, this, &GraphPictureArea::updatePick);
    connect(&r.graph, &GraphModel::dfntChanged, this, &GraphPictureArea::updateDfnt);
    connect(&r.graph, &GraphModel::ringsChanged, this, &GraphPictureArea::updateRings);
    connect(&r.graph, &GraphModel::frameChanged, this, qOverload<>(&QWidget::update));
    // Sharper pixels of the same picture: the same places, new tiles.
    connect(&r.graph, &GraphModel::pictureRefined, this, &GraphPictureArea::viewChanged);
    connect(&r.graph, &GraphModel::pictureChanged, this, qOverload<>(&QWidget::update));
    // The grid overlay follows its switch and everything that defines the frame.
    connect(&r.graph, &GraphModel::gridVisibleChanged, this, qOverload<>(&QWidget::update));
    const auto gridChanged = [this] {
        if (r.graph.gridVisible())
            update();
    };
    connect(&r.panel, &CalibPanel::posChanged, this, gridChanged);
    connect(&r.panel, &CalibPanel::valChanged, this, gridChanged);
    connect(&r.panel, &CalibPanel::axisModeChanged, this, gridChanged);
    connect(&r.panel, &CalibPanel::tabClicked, this, gridChanged);
    connect(&r, &Reading::dfntDoneChanged, this, gridChanged);
}

QRect GraphPictureArea::markerRect(float left, float top) const
{
    const QPoint c = viewPixel(left + r.graph.markerWidth / 2, top - r.graph.markerHeight / 2);
    return QRect(c.x() - kMarkerPx / 2, c.y() - kMarkerPx / 2, kMarkerPx, kMarkerPx);
}

QPoint GraphPictureArea::viewPixel(double x, double y) const
{
    // A picture pixel's centre at 200 % or 400 % falls on a corner between
    // view pixels; the stored floats lie a hair either side of it. The pixel
    // right and below of the corner is taken, whatever the hair.
    const QPointF q = toPixels(float(x), float(y));
    return QPoint(int(std::floor(q.x() + 1e-3)), int(std::floor(q.y() + 1e-3)));
}

QRectF GraphPictureArea::ringOutline(const Ring &ring) const
{
    // Centred where a marker on the same point has its middle pixel, so the
    // ring sits evenly around the marker; 250 twips across.
    const QPointF mid = QPointF(viewPixel(ring.left + r.graph.ringWidth / 2, ring.top - r.graph.ringHeight / 2)) +
                        QPointF(0.5, 0.5);
    const double d = 250.0 / kTwips;
    return QRectF(mid.x() - d / 2, mid.y() - d / 2, d, d);
}

QRect GraphPictureArea::ringRect(const Ring &ring) const { return ringOutline(ring).toAlignedRect(); }

QRect GraphPictureArea::pickRect(int id) const
{
    if (!r.graph.hasPick(id))
        return {};
    const Marker &m = *r.graph.pick(id);
    return markerRect(m.left, m.top);
}

QRect GraphPictureArea::dfntRect(int index) const
{
    const Marker &m = r.graph.dfnt(index);
    return markerRect(m.left, m.top);
}

std::pair<int, int> GraphPictureArea::markerAt(QPointF p) const
{
    const QPoint q = p.toPoint();
    // Point markers lie above the corner markers; the newest on top.
    for (int id = 255; id >= 1; --id)
        if (r.graph.hasPick(id) && r.graph.pick(id)->visible && pickRect(id).contains(q))
            return {1, id};
    for (int i = 3; i >= 0; --i)
        if (r.graph.dfnt(i).visible && dfntRect(i).contains(q))
            return {2, i};
    return {0, -1};
}

void GraphPictureArea::updatePick(int id)
{
    update(m_pickPainted[size_t(id)].adjusted(-1, -1, 1, 1));
    const QRect now = r.graph.hasPick(id) ? pickRect(id) : QRect();
    m_pickPainted[size_t(id)] = now;
    update(now.adjusted(-1, -1, 1, 1));
}

void GraphPictureArea::updateDfnt(int index)
{
    update(m_dfntPainted[size_t(index)].adjusted(-1, -1, 1, 1));
    m_dfntPainted[size_t(index)] = dfntRect(index);
    update(m_dfntPainted[size_t(index)].adjusted(-1, -1, 1, 1));
}

void GraphPictureArea::updateRings()
{
    const Ring *rings[2] = {&r.graph.selShape(), &r.graph.selShapePt()};
    for (int k = 0; k < 2; ++k) {
        update(m_ringPainted[k].adjusted(-3, -3, 3, 3));
        // A hidden ring keeps its place: where it would be drawn on the
        // current picture is cleared too, whatever was painted before.
        update(ringRect(*rings[k]).adjusted(-3, -3, 3, 3));
        m_ringPainted[k] = rings[k]->visible ? ringRect(*rings[k]) : QRect();
    }
}

void GraphPictureArea::resizeEvent(QResizeEvent *) { viewChanged(); }

void GraphPictureArea::viewChanged()
{
    // A new picture or scale gives every marker new pixels: the remembered
    // areas are those of the current view from now on (the whole area
    // repaints).
    m_tiles.setSource(r.graph.picture(), r.graph.naturalSize());
    m_tiles.setFactor(m_scale.factor());
    for (int id = 1; id <= 255; ++id)
        m_pickPainted[size_t(id)] = pickRect(id);
    for (int i = 0; i < 4; ++i)
        m_dfntPainted[size_t(i)] = dfntRect(i);
    const Ring *rings[2] = {&r.graph.selShape(), &r.graph.selShapePt()};
    for (int k = 0; k < 2; ++k)
        m_ringPainted[k] = rings[k]->visible ? ringRect(*rings[k]) : QRect();
    update();
}

void GraphPictureArea::mousePressEvent(QMouseEvent *e)
{
    setFocus(Qt::MouseFocusReason);
    const auto [kind, index] = markerAt(e->position());
    if (kind == 1)
        m_form.pickMouseDown(index);
    else if (kind == 2)
        m_form.dfntMouseDown(index);
    if (kind) {
        m_dragKind = kind;
        m_dragIndex = index;
        m_dragPos = e->position().toPoint();
        m_dragNow = e->position();
        m_outline = QRect(m_dragPos - QPoint(kMarkerPx / 2, kMarkerPx / 2), QSize(kMarkerPx, kMarkerPx));
        update(m_outline.adjusted(-1, -1, 1, 1));
    }
}

void GraphPictureArea::mouseMoveEvent(QMouseEvent *e)
{
    const QPointF n = pixelCentre(e->position());
    if (m_dragKind) {
        m_dragNow = e->position();
        if (m_dragKind == 2 && r.graph.gridVisible())
            update(); // the grid slides with the corner
        update(m_outline.adjusted(-1, -1, 1, 1));
        m_outline = QRect(e->position().toPoint() - QPoint(kMarkerPx / 2, kMarkerPx / 2), QSize(kMarkerPx, kMarkerPx));
        update(m_outline.adjusted(-1, -1, 1, 1));
        if (rect().contains(e->position().toPoint()))
            m_form.dragOver(float(n.x()), float(n.y()));
        return;
    }
    m_form.mouseMove(float(n.x()), float(n.y()));
}

void GraphPictureArea::mouseReleaseEvent(QMouseEvent *e)
{
    const QPointF n = pixelCentre(e->position());
    const bool onPicture = rect().contains(e->position().toPoint());
    if (m_dragKind) {
        if (m_dragKind == 2 && r.graph.gridVisible())
            update(); // back to the stored frame if the drop is refused
        m_dragKind = 0;
        update(m_outline.adjusted(-1, -1, 1, 1));
        m_outline = QRect();
        // A release on a marker (the dragged one included) or outside the
        // picture drops nowhere: the marker stays selected where it was.
        if (onPicture && markerAt(e->position()).first == 0)
            m_form.dragDrop(float(n.x()), float(n.y()));
        return;
    }
    int button = 0;
    switch (e->button()) {
    case Qt::LeftButton: button = Graph_Form::LeftButton; break;
    case Qt::RightButton: button = Graph_Form::RightButton; break;
    case Qt::MiddleButton: button = Graph_Form::MiddleButton; break;
    default: return;
    }
    // The press was on the picture (the picture grabs the pointer until the
    // release); a release beyond its edge adds nothing and places nothing.
    if (onPicture)
        m_form.mouseUp(button, float(n.x()), float(n.y()));
}

int GraphPictureArea::virtualKey(int k)
{
    switch (k) {
    case Qt::Key_Left: return Graph_Form::KeyLeft;
    case Qt::Key_Up: return Graph_Form::KeyUp;
    case Qt::Key_Right: return Graph_Form::KeyRight;
    case Qt::Key_Down: return Graph_Form::KeyDown;
    case Qt::Key_Delete: return Graph_Form::KeyDelete;
    case Qt::Key_Escape: return Graph_Form::KeyEscape;
    default: return (k >= 0x20 && k < 0x7f) ? k : 0xff;
    }
}

int GraphPictureArea::modifierBits(Qt::KeyboardModifiers m)
{
    int bits = 0;
    if (m & Qt::ShiftModifier)
        bits |= Graph_Form::Shift;
    if (m & Qt::ControlModifier)
        bits |= Graph_Form::Ctrl;
    if (m & Qt::AltModifier)
        bits |= Graph_Form::Alt;
    return bits;
}

int GraphPictureArea::scaleKeyStep(const QKeyEvent *e)
{
    if (!(e->modifiers() & Qt::ControlModifier))
        return 2;
    switch (e->key()) {
    case Qt::Key_0: return 0;
    case Qt::Key_Plus: case Qt::Key_Equal: return 1;
    case Qt::Key_Minus: return -1;
    default: return 2;
    }
}

void GraphPictureArea::keyPressEvent(QKeyEvent *e)
{
    // The view scale's keys change only the view.
    if (const int step = scaleKeyStep(e); step != 2) {
        Q_EMIT scaleKey(step);
        return;
    }
    m_form.keyDown(virtualKey(e->key()), modifierBits(e->modifiers()));
}

void GraphPictureArea::keyReleaseEvent(QKeyEvent *e)
{
    // One step per release: auto-repeat releases are not releases of the key.
    if (e->isAutoRepeat() || scaleKeyStep(e) != 2)
        return;
    // Shift, Ctrl and Alt themselves are keys too: releasing them re-reads the
    // selected point like any key.
    m_form.keyUp(virtualKey(e->key()), modifierBits(e->modifiers()));
}

bool GraphPictureArea::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *he = static_cast<QHelpEvent *>(e);
        const auto [kind, index] = markerAt(he->pos());
        if (kind == 1)
            QToolTip::showText(he->globalPos(), r.graph.pick(index)->toolTip, this);
        else
            QToolTip::hideText();
        return true;
    }
    if (e->type() == QEvent::ShortcutOverride) {
        // The arrow keys, Delete and Escape belong to the picture while it has focus.
        auto *ke = static_cast<QKeyEvent *>(e);
        switch (ke->key()) {
        case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
        case Qt::Key_Delete: case Qt::Key_Escape:
            e->accept();
            return true;
        default:
            if (scaleKeyStep(ke) != 2) {
                e->accept();
                return true;
            }
            break;
        }
    }
    return QWidget::event(e);
}

void GraphPictureArea::dragEnterEvent(QDragEnterEvent *e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void GraphPictureArea::dropEvent(QDropEvent *e)
{
    QStringList paths;
    for (const QUrl &u : e->mimeData()->urls())
        if (u.isLocalFile())
            paths << u.toLocalFile();
    if (!paths.isEmpty()) {
        e->acceptProposedAction();
        r.dropFiles(paths);
    }
}

// ---------------------------------------------------------------------------
// Window

GraphFormWidget::GraphFormWidget(Reading &reading, QWidget *parent)
    : QWidget(parent), m_form(reading), m_scroll(new QScrollArea(this)),
      m_area(new GraphPictureArea(m_form, m_scale)), m_status(new QLabel(this)), m_scaleBox(new QComboBox(this))
{
    setObjectName(QStringLiteral("Graph_Form"));
    // The picture is shown at the view scale; larger than the window, it
    // scrolls, smaller, it is centred.
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setWidgetResizable(false);
    m_scroll->setWidget(m_area);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setFrameShadow(QFrame::Sunken);
    m_status->setContentsMargins(4, 0, 4, 0);
    m_status->setFixedHeight(px(300));
    connect(&m_form, &Graph_Form::statusTextChanged, m_status, &QLabel::setText);
    m_scaleBox->setObjectName(QStringLiteral("ViewScale"));
    m_scaleBox->addItems(ViewScale::entryTexts());
    m_scaleBox->setFocusPolicy(Qt::ClickFocus);
    m_scaleBox->setFixedHeight(px(300));
    m_scaleBox->setCurrentIndex(m_scale.entry());
    connect(m_scaleBox, &QComboBox::activated, this, [this](int entry) {
        setScaleEntry(entry, QPointF(m_scroll->viewport()->rect().center()));
        m_area->setFocus();
    });
    connect(&m_scale, &ViewScale::changed, this, &GraphFormWidget::applyScale);
    connect(m_area, &GraphPictureArea::scaleKey, this, [this](int step) {
        const QPointF mid(m_scroll->viewport()->rect().center());
        step == 0 ? setScaleEntry(ViewScale::kFit, mid) : stepScale(step, mid);
    });
    m_scroll->viewport()->installEventFilter(this);
    connect(&reading.graph, &GraphModel::pictureChanged, this, &GraphFormWidget::pictureChanged);
    pictureChanged();
}

int GraphFormWidget::readoutWidth() const
{
    // The widest readout the display formats give (an exponent with five
    // decimals on both axes), with the label's frame and margins.
    const QString widest = QStringLiteral("X=-8.88888e-308 , Y=-8.88888e-308");
    const QMargins m = m_status->contentsMargins();
    return m_status->fontMetrics().horizontalAdvance(widest) + m.left() + m.right() + 2 * m_status->frameWidth() + 8 +
           m_scaleBox->sizeHint().width();
}

void GraphFormWidget::pictureChanged()
{
    const GraphModel &g = m_form.reading().graph;
    const QSize sz = g.picture().isNull() ? QSize(320, 240) : g.naturalSize();
    // Marker sizes and the stored area size are those of the picture's own
    // pixels, whatever the view scale.
    m_form.setPictureSize(sz.width(), sz.height());
    m_scale.setPictureSize(sz);
    applyScale();
    placePicture();
    m_area->viewChanged();
}

void GraphFormWidget::applyScale()
{
    m_scaleBox->setCurrentIndex(m_scale.entry());
    if (m_area->size() != m_scale.viewSize()) {
        m_area->setFixedSize(m_scale.viewSize());
        updateGeometry();
    }
    m_area->viewChanged();
}

void GraphFormWidget::chooseOpeningScale(QSize client)
{
    m_scale.setRoom(client - QSize(0, m_status->height()));
    m_scale.chooseOpeningEntry();
}

void GraphFormWidget::setScaleEntry(int entry, QPointF anchor)
{
    QScrollBar *h = m_scroll->horizontalScrollBar(), *v = m_scroll->verticalScrollBar();
    // The picture point under the anchor, in picture pixels.
    const QPointF onPicture = m_scale.toPicture(QPointF(m_area->mapFrom(m_scroll->viewport(), anchor.toPoint())));
    m_scale.setEntry(entry);
    // The scroll range follows the new size at once, not at the next layout.
    m_scroll->widget()->resize(m_scale.viewSize());
    QApplication::sendPostedEvents(m_scroll, QEvent::LayoutRequest);
    const QPointF now = m_scale.toView(onPicture);
    h->setValue(int(std::lround(now.x() - anchor.x())));
    v->setValue(int(std::lround(now.y() - anchor.y())));
}

void GraphFormWidget::stepScale(int step, QPointF anchor)
{
    ViewScale probe;
    probe.setPictureSize(m_scale.pictureSize());
    probe.setRoom(m_scroll->size());
    probe.setEntry(m_scale.entry());
    step > 0 ? probe.stepIn() : probe.stepOut();
    if (probe.entry() != m_scale.entry())
        setScaleEntry(probe.entry(), anchor);
}

bool GraphFormWidget::eventFilter(QObject *watched, QEvent *e)
{
    // Ctrl+wheel over the picture (or the room around it) changes the scale
    // about the pointer; the wheel alone scrolls.
    if (watched == m_scroll->viewport() && e->type() == QEvent::Wheel) {
        auto *we = static_cast<QWheelEvent *>(e);
        if (we->modifiers() & Qt::ControlModifier) {
            const int dy = we->angleDelta().y();
            if (dy != 0)
                stepScale(dy > 0 ? 1 : -1, we->position());
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

QSize GraphFormWidget::sizeHint() const
{
    // The whole picture (with a small margin unless it is fitted), and room
    // for the readout.
    const int margin = m_scale.entry() == ViewScale::kFit ? 0 : px(135);
    const QSize pic = m_scale.viewSize() + QSize(margin, margin);
    return QSize(std::max(pic.width(), readoutWidth()), pic.height() + m_status->height());
}

QSize GraphFormWidget::minimumSizeHint() const
{
    // Narrower than the readout, its numbers would be cut off; a little of
    // the picture stays in view above it.
    return QSize(readoutWidth(), m_status->height() + std::min(m_area->height(), 64));
}

void GraphFormWidget::placePicture()
{
    const int statusH = m_status->height();
    m_scroll->setGeometry(0, 0, width(), std::max(0, height() - statusH));
    const int boxW = std::min(width(), m_scaleBox->sizeHint().width());
    m_status->setGeometry(0, height() - statusH, width() - boxW, statusH);
    m_scaleBox->setGeometry(width() - boxW, height() - statusH, boxW, statusH);
    m_scale.setRoom(m_scroll->size());
}

void GraphFormWidget::resizeEvent(QResizeEvent *) { placePicture(); }

// ---------------------------------------------------------------------------
// Host

GraphWindowHost::GraphWindowHost(Reading &reading, QMdiArea *area, QObject *parent)
    : QObject(parent), r(reading), m_area(area)
{
    connect(&r.graph, &GraphModel::loadedChanged, this, [this](bool loaded) { loaded ? open() : close(); });
    connect(&r.graph, &GraphModel::captionChanged, this, [this](const QString &c) {
        if (m_sub)
            m_sub->setWindowTitle(c);
    });
    // A new picture in an open window: the window fits the new picture.
    connect(&r.graph, &GraphModel::pictureChanged, this, [this] {
        if (!m_sub || !m_widget)
            return;
        m_widget->pictureChanged();
        fitToPicture();
    });
    if (r.graph.loaded())
        open();
}

void GraphWindowHost::fitToPicture()
{
    m_sub->setMinimumSize(m_sub->minimumSizeHint());
    if (m_sub->isMaximized() || m_sub->isMinimized()) {
        m_widget->chooseOpeningScale(m_widget->size());
        return;
    }
    // The whole picture when the document area has room for it, else as much
    // as the area shows from the window's place: the window never reaches
    // beyond the area, so its readout stays in view, and the picture scrolls.
    QSize size = m_sub->sizeHint();
    if (m_area->isVisible()) { // a hidden area has no size of its own yet
        const QSize free = m_area->viewport()->size() - QSize(std::max(0, m_sub->x()), std::max(0, m_sub->y()));
        // A picture that fits opens at 100 %; a larger one whole, in a
        // window that takes the free room.
        const QSize frame = m_sub->sizeHint() - m_widget->sizeHint();
        m_widget->chooseOpeningScale(free - frame);
        size = m_sub->sizeHint().boundedTo(free);
    }
    size = size.expandedTo(m_sub->minimumSize());
    m_sub->resize(size);
    // Arranging the windows keeps that much (the whole picture when it
    // fits), and never less than the readout needs.
    m_sub->setMinimumSize(m_sub->minimumSizeHint().expandedTo(size - QSize(px(135), px(135))));
}

void GraphWindowHost::open()
{
    if (m_sub) {
        m_sub->show();
        return;
    }
    m_widget = new GraphFormWidget(r);
    m_sub = m_area->addSubWindow(m_widget);
    m_sub->setAttribute(Qt::WA_DeleteOnClose);
    m_sub->setWindowTitle(r.graph.caption().isEmpty() ? QStringLiteral("File_Name") : r.graph.caption());
    m_sub->installEventFilter(this);
    // The window fits the picture and its status bar, with a small margin;
    // the document area scrolls when it is larger.
    m_sub->move(0, 0);
    m_sub->show();
    fitToPicture();
    m_widget->pictureArea()->setFocus();
}

void GraphWindowHost::close()
{
    if (!m_sub)
        return;
    m_closing = true;
    const bool closed = m_sub->close();
    m_closing = false;
    // A closed window is deleted later (WA_DeleteOnClose): a picture shown
    // before then must get a new window, never this one.
    if (closed) {
        m_sub = nullptr;
        m_widget = nullptr;
    }
}

bool GraphWindowHost::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_sub && e->type() == QEvent::Close) {
        if (m_closing) // the reading unloaded its graph already
            return false;
        if (!m_widget || !m_widget->form().queryUnload()) {
            e->ignore();
            return true;
        }
        m_closing = true; // the unload below unloads the graph: no second close
        m_widget->form().unload();
        m_closing = false;
        return false;
    }
    return QObject::eventFilter(watched, e);
}

} // namespace orv
