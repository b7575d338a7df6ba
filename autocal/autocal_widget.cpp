#include "autocal/autocal_widget.h"

#include "graphwin/graph_form_widget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QProgressDialog>

namespace orv::autocal {

AutoCalOverlay::AutoCalOverlay(const AutoCalibrator &calibrator, GraphPictureArea *area)
    : QWidget(area), m_cal(calibrator), m_area(area)
{
    setObjectName(QStringLiteral("AutoCalOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(area->rect());
    connect(&calibrator, &AutoCalibrator::resultChanged, this, qOverload<>(&QWidget::update));
    show();
    raise();
}

void AutoCalOverlay::paintEvent(QPaintEvent *)
{
    const auto &res = m_cal.result();
    if (!res || !res->frameFound)
        return;
    const Calibration &c = *res;
    const double W = c.size.width(), H = c.size.height();
    auto view = [&](QPointF p) { return m_area->toPixels(float(p.x() / W), float(1 - p.y() / H)); };
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF frame;
    for (const QPointF &q : c.corner)
        frame << view(q);
    p.setPen(QPen(frameColour(), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(frame);
    p.setPen(QPen(frameColour(), 1.2));
    for (const QPointF &t : c.ticks)
        p.drawEllipse(view(t), 3, 3);
    QFont f = font();
    f.setPointSizeF(std::max(7.0, f.pointSizeF() - 1));
    p.setFont(f);
    const QFontMetricsF fm(f);
    for (const FoundLabel &l : c.labels) {
        if (l.axis == AxisId::RightY)
            continue;
        const QRectF box(view(l.box.topLeft()), view(l.box.bottomRight()));
        const QColor colour = l.used ? usedColour() : leftOutColour();
        p.setPen(QPen(colour, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
        if (!l.used) {
            // Crossed: read but left out of the fit, or not a number at all.
            p.drawLine(box.topLeft(), box.bottomRight());
            p.drawLine(box.bottomLeft(), box.topRight());
        }
        if (l.used)
            p.drawLine(box.center(), view(l.at));
        const QString text = l.value ? QString::number(*l.value, 'g', 6) : QStringLiteral("?");
        const QRectF tr(box.right() + 2, box.top() - fm.height() + 2, fm.horizontalAdvance(text) + 4, fm.height());
        p.fillRect(tr, QColor(255, 255, 255, 210));
        p.drawText(tr, Qt::AlignCenter, text);
    }
}

AutoCalibrateUi::AutoCalibrateUi(Reading &reading, GraphWindowHost *graphs, QWidget *window)
    : QObject(window), r(reading), m_cal(reading), m_graphs(graphs), m_window(window)
{
    connect(&m_cal, &AutoCalibrator::progressShownChanged, this, &AutoCalibrateUi::showProgress);
    connect(&m_cal, &AutoCalibrator::progress, this, [this](int pc) {
        if (m_progress)
            m_progress->setValue(pc);
    });
    connect(&m_cal, &AutoCalibrator::resultChanged, this, &AutoCalibrateUi::attachOverlay);
    connect(&m_cal, &AutoCalibrator::unsureChanged, this, &AutoCalibrateUi::updateHighlight);
    connect(&reading.graph, &GraphModel::loadedChanged, this, &AutoCalibrateUi::attachOverlay);
}

AutoCalibrateUi::~AutoCalibrateUi() { detachOverlay(); }

void AutoCalibrateUi::run()
{
    if (m_cal.busy())
        return;
    m_cal.start();
}

void AutoCalibrateUi::showProgress(bool shown)
{
    if (!shown) {
        if (m_progress)
            m_progress->hide();
        return;
    }
    if (!m_progress) {
        m_progress = new QProgressDialog(m_window);
        m_progress->setObjectName(QStringLiteral("AutoCalProgress"));
        m_progress->setWindowTitle(AutoCalibrator::title());
        m_progress->setLabelText(QCoreApplication::translate("AutoCal", "目盛りの数値を読み取っています..."));
        m_progress->setCancelButtonText(QCoreApplication::translate("AutoCal", "中止"));
        m_progress->setRange(0, 100);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setMinimumDuration(0);
        m_progress->setWindowModality(Qt::WindowModal);
        connect(m_progress, &QProgressDialog::canceled, &m_cal, &AutoCalibrator::cancel);
    }
    m_progress->setValue(0);
    m_progress->show();
}

void AutoCalibrateUi::attachOverlay()
{
    GraphPictureArea *area = m_graphs && m_graphs->widget() ? m_graphs->widget()->pictureArea() : nullptr;
    if (!m_cal.result())
        area = nullptr;
    if (area == m_area && (m_overlay || !area)) {
        if (m_overlay)
            m_overlay->update();
        return;
    }
    detachOverlay();
    m_area = area;
    if (!area)
        return;
    area->installEventFilter(this);
    m_overlay = new AutoCalOverlay(m_cal, area);
}

void AutoCalibrateUi::detachOverlay()
{
    if (m_area)
        m_area->removeEventFilter(this);
    delete m_overlay;
    m_overlay = nullptr;
    m_area = nullptr;
}

bool AutoCalibrateUi::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_area && m_overlay && e->type() == QEvent::Resize)
        m_overlay->setGeometry(m_area->rect());
    return QObject::eventFilter(watched, e);
}

void AutoCalibrateUi::updateHighlight()
{
    if (!m_window)
        return;
    const struct {
        const char *name;
        AxisId axis;
    } boxes[] = {{"LLX_VLText", AxisId::X}, {"RUX_VLText", AxisId::X}, {"LLY_VLText", AxisId::Y}, {"RUY_VLText", AxisId::Y}};
    for (const auto &b : boxes) {
        auto *edit = m_window->findChild<QLineEdit *>(QLatin1String(b.name));
        if (!edit)
            continue;
        // The box's own tool tip comes back once the value is checked.
        if (!edit->property("orvToolTip").isValid())
            edit->setProperty("orvToolTip", edit->toolTip());
        const bool unsure = m_cal.unsure(b.axis);
        edit->setStyleSheet(unsure ? QStringLiteral("QLineEdit { background: %1; }").arg(unsureColour().name()) : QString());
        edit->setToolTip(unsure ? AutoCalibrator::unsureText() : edit->property("orvToolTip").toString());
    }
}

} // namespace orv::autocal
