#include "processing/apprx_form_widget.h"

#include "processing/equation.h"

#include "model/reading.h"
#include "processing/click_label.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <functional>

namespace orv {

namespace {

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLineEdit *readOnlyBox(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    return e;
}

} // namespace

ApprxFormWidget::ApprxFormWidget(ApprxForm &form, QWidget *parent) : QDialog(parent), m_form(form)
{
    setObjectName(QStringLiteral("Apprx_Form"));
    setModal(true);
    auto *top = new QVBoxLayout(this);

    m_frame1 = new QGroupBox(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    auto *g1 = new QGridLayout(m_frame1);
    m_apprxText = readOnlyBox("Apprx_Text", m_frame1);
    m_apprxText->setMinimumWidth(420);
    m_r2Text = readOnlyBox("R2_Text", m_frame1);
    m_r2Text->setMaximumWidth(100);
    auto *replace = button(QCoreApplication::translate("Processing", "Excel用に置換"), "Command1", m_frame1);
    auto *copy = button(QCoreApplication::translate("Processing", "Clipboardにコピー"), "CopyClipBoard_Command", m_frame1);
    g1->addWidget(new QLabel(QCoreApplication::translate("Processing", "近似式"), m_frame1), 0, 0);
    g1->addWidget(m_apprxText, 0, 1, 1, 3);
    g1->addWidget(new QLabel(QCoreApplication::translate("Processing", "R^2値"), m_frame1), 1, 0);
    g1->addWidget(m_r2Text, 1, 1);
    g1->addWidget(replace, 1, 2);
    g1->addWidget(copy, 1, 3);
    // On a date axis: what x (or y) counts.
    m_dateNote = new QLabel(m_form.dateNote(), m_frame1);
    m_dateNote->setObjectName(QStringLiteral("Date_Note"));
    m_dateNote->setVisible(!m_form.dateNote().isEmpty());
    g1->addWidget(m_dateNote, 2, 1, 1, 3);
    g1->setColumnStretch(1, 1);
    top->addWidget(m_frame1);

    auto *frame3 = new QGroupBox(QCoreApplication::translate("Processing", "任意点の近似値"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto *g3 = new QGridLayout(frame3);
    m_xText = new QLineEdit(frame3);
    m_xText->setObjectName(QStringLiteral("xText"));
    m_yText = readOnlyBox("yText_Calc", frame3);
    auto *calc = button(QCoreApplication::translate("Processing", "計算"), "UserCalc_Command", frame3);
    auto *copyY = button(QCoreApplication::translate("Processing", "Clipboardにコピー"), "CopyClipBoard_Command1", frame3);
    g3->addWidget(new QLabel(QCoreApplication::translate("Processing", "X値"), frame3), 0, 0);
    g3->addWidget(m_xText, 0, 1);
    g3->addWidget(calc, 0, 2);
    g3->addWidget(new QLabel(QCoreApplication::translate("Processing", "Y値(近似値)"), frame3), 1, 0);
    g3->addWidget(m_yText, 1, 1);
    g3->addWidget(copyY, 1, 2);
    g3->setColumnStretch(1, 1);
    top->addWidget(frame3);

    auto *frame2 = new QGroupBox(QCoreApplication::translate("Processing", "グラフ描画"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto *g2 = new QHBoxLayout(frame2);
    m_lineWidth = new QComboBox(frame2);
    m_lineWidth->setObjectName(QStringLiteral("LineWdth_Combo"));
    m_lineWidth->addItems(ApprxForm::lineWidthItems());
    auto *swatch = new ClickLabel(frame2);
    m_swatch = swatch;
    m_swatch->setObjectName(QStringLiteral("Picture1"));
    m_swatch->setFixedSize(40, 22);
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);
    m_swatch->setCursor(Qt::PointingHandCursor);
    swatch->onClick = [this] { m_form.Picture1_Click(); };
    auto *draw = button(QCoreApplication::translate("Processing", "グラフに描画"), "DrawGraph_Command", frame2);
    g2->addWidget(new QLabel(QCoreApplication::translate("Processing", "線幅"), frame2));
    g2->addWidget(m_lineWidth);
    g2->addSpacing(12);
    g2->addWidget(new QLabel(QCoreApplication::translate("Processing", "描画色"), frame2));
    g2->addWidget(m_swatch);
    g2->addStretch();
    g2->addWidget(draw);
    top->addWidget(frame2);

    auto *bottom = new QHBoxLayout;
    auto *close = button(QStringLiteral("Close"), "Closel_Command", this);
    bottom->addStretch();
    bottom->addWidget(close);
    top->addLayout(bottom);

    connect(replace, &QPushButton::clicked, &m_form, &ApprxForm::Command1_Click);
    connect(copy, &QPushButton::clicked, &m_form, &ApprxForm::CopyClipBoard_Command_Click);
    connect(copyY, &QPushButton::clicked, &m_form, &ApprxForm::CopyClipBoard_Command1_Click);
    connect(calc, &QPushButton::clicked, &m_form, &ApprxForm::UserCalc_Command_Click);
    connect(m_xText, &QLineEdit::textEdited, &m_form, &ApprxForm::setXText);
    connect(m_lineWidth, &QComboBox::activated, &m_form, &ApprxForm::setLineWidthIndex);
    connect(draw, &QPushButton::clicked, this, &ApprxFormWidget::drawGraph);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_form, &ApprxForm::changed, this, &ApprxFormWidget::refresh);
    refresh();
}

void ApprxFormWidget::refresh()
{
    setWindowTitle(m_form.caption());
    // The kind's name is a key in the form; the window shows it in the user's language.
    const auto kind = fitKindFromName(m_form.frame1Caption());
    m_frame1->setTitle(kind ? fitKindDisplayName(*kind) : m_form.frame1Caption());
    m_apprxText->setText(m_form.apprxText());
    m_apprxText->setCursorPosition(0);
    m_r2Text->setText(m_form.r2Text());
    if (m_xText->text() != m_form.xText())
        m_xText->setText(m_form.xText());
    m_yText->setText(m_form.yTextCalc());
    {
        QSignalBlocker b(m_lineWidth);
        m_lineWidth->setCurrentIndex(m_form.lineWidthIndex());
    }
    QPalette pal = m_swatch->palette();
    pal.setColor(QPalette::Window, m_form.curveColor());
    m_swatch->setPalette(pal);
}

void ApprxFormWidget::drawGraph()
{
    auto plot = m_form.Draw_Apprx();
    if (!plot)
        return;
    ApprxGraphForm graph(m_form.reading(), std::move(*plot));
    ApprxGraphFormWidget w(graph, this);
    w.exec();
}

namespace {
// A point marker takes its own clicks: only a click on the plot itself closes
// the window, not one aimed at a point to read its tool tip.
class PlotMarkerLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void mousePressEvent(QMouseEvent *e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent *e) override { e->accept(); }
};
} // namespace

namespace {
// Room the plot window's frame, margins and status bar take besides the
// picture; the title bar and borders of the window system are an estimate.
constexpr int kChromeWidth = 4 + 4 + 16;
constexpr int kChromeHeight = 4 + 2 + 48;
} // namespace

ApprxPlotPicture::ApprxPlotPicture(const ApprxPlot &plot, QSize natural, QWidget *parent)
    : QWidget(parent), m_plot(plot), m_hint(natural)
{
    setObjectName(QStringLiteral("Picture1"));
    setMouseTracking(true);
    setMinimumSize(120, 100);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QPixmap icon = markerIcon();
    for (const PlotMarker &m : plot.markers) {
        auto *l = new PlotMarkerLabel(this);
        l->setObjectName(QStringLiteral("Pick_Image"));
        l->setPixmap(icon);
        l->setFixedSize(icon.size());
        l->setToolTip(m.toolTip);
        m_markers.push_back(l);
    }
    resize(natural);
    placeMarkers();
}

void ApprxPlotPicture::placeMarkers()
{
    const QSizeF sz(size());
    for (size_t i = 0; i < m_markers.size(); ++i) {
        const PlotMarker &m = m_plot.markers[i];
        QWidget *l = m_markers[i];
        const QPointF c = m_plot.toPixel({m.x, m.y}, sz);
        // A point far outside the plot is not shown rather than placed at a
        // clamped position that would misstate it.
        const bool ok = std::isfinite(c.x()) && std::isfinite(c.y()) && std::abs(c.x()) < 1e6 && std::abs(c.y()) < 1e6;
        l->setVisible(ok);
        if (ok)
            l->move(int(std::lround(c.x() - l->width() / 2.0)), int(std::lround(c.y() - l->height() / 2.0)));
    }
}

void ApprxPlotPicture::resizeEvent(QResizeEvent *) { placeMarkers(); }

QPixmap ApprxPlotPicture::markerIcon()
{
    QPixmap pm(9, 9);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 230, 0));
    p.drawRect(1, 1, 6, 6);
    return pm;
}

void ApprxPlotPicture::paint(QPainter &p, const ApprxPlot &plot, QSize size)
{
    p.fillRect(QRect(QPoint(0, 0), size), QColor(64, 64, 64));
    const QSizeF sz(size);
    auto px = [&](QPointF v) { return plot.toPixel(v, sz); };
    // The frame crisp, one pixel wide; the curve smoothed.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(255, 0, 0), 0));
    for (const QLineF &l : plot.frame)
        p.drawLine(QLineF(px(l.p1()), px(l.p2())));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(plot.color, plot.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    // Far-off values are clipped to a band around the picture so that the
    // painter never sees coordinates beyond its range.
    const double lim = 4.0 * std::max(sz.width(), sz.height());
    auto clampPt = [lim](QPointF q) {
        return QPointF(std::clamp(q.x(), -lim, lim), std::clamp(q.y(), -lim, lim));
    };
    for (const QLineF &l : plot.curve) {
        const QPointF a = px(l.p1()), b = px(l.p2());
        if (!std::isfinite(a.y()) || !std::isfinite(b.y()))
            continue;
        p.drawLine(QLineF(clampPt(a), clampPt(b)));
    }
}

QImage ApprxPlotPicture::render(const ApprxPlot &plot, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    paint(p, plot, size);
    return img;
}

QImage ApprxPlotPicture::drawing() const { return render(m_plot, size()); }

void ApprxPlotPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paint(p, m_plot, size());
}

void ApprxPlotPicture::mouseMoveEvent(QMouseEvent *e) { Q_EMIT pointerMoved(e->position()); }

void ApprxPlotPicture::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        Q_EMIT clicked();
}

ApprxGraphFormWidget::ApprxGraphFormWidget(ApprxGraphForm &form, QWidget *parent) : QDialog(parent), m_form(form)
{
    setObjectName(QStringLiteral("Apprx_Graph_Form"));
    setModal(true);
    setWindowTitle(form.plot().caption);
    setSizeGripEnabled(true);
    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(4, 4, 4, 0);
    top->setSpacing(2);
    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    // The graph window's picture size, scaled down with its proportions to
    // the screen's free area (a large picture would make a window far beyond
    // the screen with its readout out of reach).
    const ApprxPlot &plot = form.plot();
    const QSizeF natural(std::lround(plot.widthTwips / 15), std::lround(plot.heightTwips / 15));
    QScreen *scr = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect avail = scr ? scr->availableGeometry() : QRect(0, 0, 800, 600);
    const QSize room(avail.width() - kChromeWidth, avail.height() - kChromeHeight - m_status->sizeHint().height());
    m_picture = new ApprxPlotPicture(plot, fitPlotSize(natural, room), this);
    top->addWidget(m_picture, 1);
    top->addWidget(m_status);
    connect(m_picture, &ApprxPlotPicture::pointerMoved, this,
            [this](QPointF pos) { m_form.mouseMove(pos, QSizeF(m_picture->size())); });
    connect(&m_form, &ApprxGraphForm::statusTextChanged, m_status,
            [this](const QString &t) { m_status->showMessage(t); });
    connect(m_picture, &ApprxPlotPicture::clicked, this, &QDialog::accept);
    resize(sizeHint());
}

void ApprxGraphFormWidget::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // Keep the whole window, readout included, on the screen's free area.
    if (QScreen *scr = screen()) {
        const QRect avail = scr->availableGeometry();
        const QRect f = frameGeometry();
        QPoint pos = f.topLeft();
        pos.setX(std::clamp(pos.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - f.width())));
        pos.setY(std::clamp(pos.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - f.height())));
        if (pos != f.topLeft())
            move(pos);
    }
}

} // namespace orv
