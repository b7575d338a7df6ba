#include "autoread/autoread_widget.h"

#include "graphwin/graph_form_widget.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace orv::autoread {

namespace {

QPointer<AutoReadWidget> g_open;

std::optional<double> optionalNumber(const QLineEdit *e, bool *bad)
{
    const QString t = e->text().trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        *bad = true;
        return std::nullopt;
    }
    return v;
}

} // namespace

// --- Panel window ---------------------------------------------------------------------------

AutoReadWidget::AutoReadWidget(Reading &reading, GraphWindowHost *graphs, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_panel(reading), m_graphs(graphs)
{
    setObjectName(QStringLiteral("AutoRead_Form"));
    setWindowTitle(title());
    setAttribute(Qt::WA_DeleteOnClose);
    auto *top = new QVBoxLayout(this);

    // Colour.
    auto *colourRow = new QHBoxLayout;
    m_chip = new QLabel;
    m_chip->setObjectName(QStringLiteral("ColourChip"));
    m_chip->setFixedSize(40, 22);
    m_chip->setFrameShape(QFrame::Box);
    m_eyedropper = new QToolButton;
    m_eyedropper->setObjectName(QStringLiteral("Eyedropper"));
    m_eyedropper->setText(QCoreApplication::translate("AutoRead", "スポイト"));
    m_eyedropper->setToolTip(QCoreApplication::translate("AutoRead", "押してから画像をクリックすると、その点の線の色(5×5画素のうち紙の色から最も遠い色)を選びます"));
    m_eyedropper->setCheckable(true);
    colourRow->addWidget(new QLabel(QCoreApplication::translate("AutoRead", "色")));
    colourRow->addWidget(m_chip);
    colourRow->addWidget(m_eyedropper);
    for (int i = 0; i < 8; ++i) {
        auto *b = new QToolButton;
        b->setObjectName(QStringLiteral("Swatch%1").arg(i));
        b->setFixedSize(22, 22);
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, i] {
            if (size_t(i) < m_panel.swatches().size())
                m_panel.setColour(m_panel.swatches()[size_t(i)]);
        });
        m_swatchButtons.push_back(b);
        colourRow->addWidget(b);
    }
    colourRow->addStretch();
    top->addLayout(colourRow);
    m_pickNote = new QLabel;
    m_pickNote->setObjectName(QStringLiteral("PickNote"));
    top->addWidget(m_pickNote);

    auto *form = new QFormLayout;
    auto *tolRow = new QHBoxLayout;
    m_slider = new QSlider(Qt::Horizontal);
    m_slider->setObjectName(QStringLiteral("Tolerance"));
    m_slider->setRange(0, AutoReadPanel::kMaxTolerance);
    m_slider->setValue(m_panel.tolerance());
    m_sliderValue = new QLabel(QString::number(m_panel.tolerance()));
    m_sliderValue->setObjectName(QStringLiteral("ToleranceValue"));
    m_sliderValue->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("00.0")) + 4);
    m_auto = new QCheckBox(QCoreApplication::translate("AutoRead", "自動", "tolerance"));
    m_auto->setObjectName(QStringLiteral("AutoTolerance"));
    m_auto->setToolTip(QCoreApplication::translate("AutoRead", "読み取るときに、この画像での線の色のばらつきから許容差を決めます"));
    m_auto->setChecked(m_panel.autoTolerance());
    tolRow->addWidget(m_slider);
    tolRow->addWidget(m_sliderValue);
    tolRow->addWidget(m_auto);
    form->addRow(QCoreApplication::translate("AutoRead", "許容差 ΔE"), tolRow);

    auto *areaRow = new QHBoxLayout;
    m_margin = new QSpinBox;
    m_margin->setObjectName(QStringLiteral("Margin"));
    m_margin->setRange(0, 100);
    m_margin->setValue(int(m_panel.margin()));
    m_margin->setSuffix(QStringLiteral(" px"));
    m_range = new QToolButton;
    m_range->setObjectName(QStringLiteral("Range"));
    m_range->setText(QCoreApplication::translate("AutoRead", "範囲"));
    m_range->setToolTip(QCoreApplication::translate("AutoRead", "押してから画像上をドラッグすると、読み取る範囲を長方形で絞ります"));
    m_range->setCheckable(true);
    m_clearRange = new QPushButton(QCoreApplication::translate("AutoRead", "範囲解除"));
    m_clearRange->setEnabled(false);
    m_exclude = new QToolButton;
    m_exclude->setObjectName(QStringLiteral("Exclude"));
    m_exclude->setText(QCoreApplication::translate("AutoRead", "除外"));
    m_exclude->setToolTip(QCoreApplication::translate("AutoRead", "押している間、画像上をドラッグした長方形を読取から除きます(凡例、文字など)。読取ファイルには保存されません"));
    m_exclude->setCheckable(true);
    m_clearExclude = new QPushButton(QCoreApplication::translate("AutoRead", "除外解除"));
    m_clearExclude->setObjectName(QStringLiteral("ClearExclusions"));
    m_clearExclude->setEnabled(false);
    areaRow->addWidget(m_margin);
    areaRow->addWidget(m_range);
    areaRow->addWidget(m_clearRange);
    areaRow->addWidget(m_exclude);
    areaRow->addWidget(m_clearExclude);
    areaRow->addStretch();
    form->addRow(QCoreApplication::translate("AutoRead", "枠からの余白"), areaRow);

    m_method = new QComboBox;
    m_method->setObjectName(QStringLiteral("Method"));
    m_method->addItems({QCoreApplication::translate("AutoRead", "X刻み"), QCoreApplication::translate("AutoRead", "Y刻み(急な曲線)"), QCoreApplication::translate("AutoRead", "マーカー")});
    form->addRow(QCoreApplication::translate("AutoRead", "方法"), m_method);
    top->addLayout(form);

    m_stepBox = new QWidget;
    auto *sg = new QGridLayout(m_stepBox);
    sg->setContentsMargins(0, 0, 0, 0);
    m_from = new QLineEdit;
    m_to = new QLineEdit;
    m_from->setPlaceholderText(QCoreApplication::translate("AutoRead", "枠の端"));
    m_to->setPlaceholderText(QCoreApplication::translate("AutoRead", "枠の端"));
    m_useStep = new QRadioButton(QCoreApplication::translate("AutoRead", "刻み"));
    m_usePoints = new QRadioButton(QCoreApplication::translate("AutoRead", "点数"));
    m_usePoints->setChecked(true);
    m_step = new QLineEdit;
    m_step->setToolTip(QCoreApplication::translate("AutoRead", "対数軸では倍率(1より大)"));
    m_points = new QSpinBox;
    m_points->setRange(1, 100000);
    m_points->setValue(m_panel.steps.points);
    sg->addWidget(new QLabel(QCoreApplication::translate("AutoRead", "開始")), 0, 0);
    sg->addWidget(m_from, 0, 1);
    sg->addWidget(new QLabel(QCoreApplication::translate("AutoRead", "終了")), 0, 2);
    sg->addWidget(m_to, 0, 3);
    sg->addWidget(m_useStep, 1, 0);
    sg->addWidget(m_step, 1, 1);
    sg->addWidget(m_usePoints, 1, 2);
    sg->addWidget(m_points, 1, 3);
    top->addWidget(m_stepBox);

    m_markerBox = new QWidget;
    auto *mg = new QGridLayout(m_markerBox);
    mg->setContentsMargins(0, 0, 0, 0);
    m_minArea = new QLineEdit;
    m_maxArea = new QLineEdit;
    m_minArea->setPlaceholderText(QCoreApplication::translate("AutoRead", "自動"));
    m_maxArea->setPlaceholderText(QCoreApplication::translate("AutoRead", "自動"));
    m_split = new QCheckBox(QCoreApplication::translate("AutoRead", "重なったマーカーを分ける"));
    m_split->setChecked(true);
    mg->addWidget(new QLabel(QCoreApplication::translate("AutoRead", "面積(画素) 最小")), 0, 0);
    mg->addWidget(m_minArea, 0, 1);
    mg->addWidget(new QLabel(QCoreApplication::translate("AutoRead", "最大")), 0, 2);
    mg->addWidget(m_maxArea, 0, 3);
    mg->addWidget(m_split, 1, 0, 1, 4);
    top->addWidget(m_markerBox);

    auto *runRow = new QHBoxLayout;
    m_read = new QPushButton(QCoreApplication::translate("AutoRead", "読取"));
    m_read->setObjectName(QStringLiteral("Read"));
    m_progress = new QProgressBar;
    m_progress->setVisible(false);
    m_cancel = new QPushButton(QCoreApplication::translate("AutoRead", "中止"));
    m_cancel->setVisible(false);
    runRow->addWidget(m_read);
    runRow->addWidget(m_progress, 1);
    runRow->addWidget(m_cancel);
    top->addLayout(runRow);
    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("Count"));
    m_count->setWordWrap(true);
    m_count->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for three lines whatever it says, so that a message never
    // squeezes or moves the rows above.
    m_count->setFixedHeight(QFontMetrics(font()).lineSpacing() * 3 + 4);
    m_count->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    top->addWidget(m_count);
    auto *addRow = new QHBoxLayout;
    m_add = new QPushButton(QCoreApplication::translate("AutoRead", "追加"));
    m_add->setObjectName(QStringLiteral("Add"));
    m_add->setToolTip(QCoreApplication::translate("AutoRead", "候補の点を現在の系列に追加します"));
    m_add->setEnabled(false);
    auto *close = new QPushButton(QCoreApplication::translate("AutoRead", "閉じる"));
    addRow->addStretch();
    addRow->addWidget(m_add);
    addRow->addWidget(close);
    top->addLayout(addRow);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setFixedHeight(QFontMetrics(font()).lineSpacing() + 6);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    top->addWidget(m_status);

    connect(m_slider, &QSlider::valueChanged, this, [this](int v) { m_panel.setTolerance(v); });
    connect(m_auto, &QCheckBox::toggled, &m_panel, &AutoReadPanel::setAutoTolerance);
    connect(&m_panel, &AutoReadPanel::toleranceChanged, this, &AutoReadWidget::updateTolerance);
    connect(&m_panel, &AutoReadPanel::autoToleranceChanged, this, &AutoReadWidget::updateTolerance);
    connect(&m_panel, &AutoReadPanel::toleranceUsedChanged, this, &AutoReadWidget::updateTolerance);
    connect(m_exclude, &QToolButton::toggled, this, [this](bool on) {
        if (on) {
            m_eyedropper->setChecked(false);
            m_range->setChecked(false);
        }
        if (m_area)
            m_area->setCursor(on || m_range->isChecked() || m_eyedropper->isChecked() ? Qt::CrossCursor : Qt::ArrowCursor);
    });
    connect(m_clearExclude, &QPushButton::clicked, &m_panel, &AutoReadPanel::clearExclusions);
    connect(&m_panel, &AutoReadPanel::exclusionsChanged, this,
            [this] { m_clearExclude->setEnabled(!m_panel.exclusions().empty()); });
    connect(&m_panel, &AutoReadPanel::added, m_status, &QLabel::setText);
    connect(m_margin, &QSpinBox::valueChanged, this, [this](int v) { m_panel.setMargin(v); });
    connect(m_range, &QToolButton::toggled, this, [this](bool on) {
        if (on) {
            m_eyedropper->setChecked(false);
            m_exclude->setChecked(false);
        }
        if (m_area)
            m_area->setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
    });
    connect(m_eyedropper, &QToolButton::toggled, this, [this](bool on) {
        if (on) {
            m_range->setChecked(false);
            m_exclude->setChecked(false);
        }
        if (m_area)
            m_area->setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
    });
    connect(m_clearRange, &QPushButton::clicked, &m_panel, &AutoReadPanel::clearLimit);
    connect(&m_panel, &AutoReadPanel::limitChanged, this,
            [this] { m_clearRange->setEnabled(m_panel.limit().has_value()); });
    connect(m_method, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_panel.setMethod(i == 0 ? Method::XSteps : i == 1 ? Method::YSteps : Method::Markers);
        updateMethod();
    });
    connect(m_read, &QPushButton::clicked, this, [this] {
        m_status->clear();
        if (applyOptions())
            m_panel.read();
    });
    connect(m_cancel, &QPushButton::clicked, &m_panel, &AutoReadPanel::cancel);
    connect(m_add, &QPushButton::clicked, this, [this] { m_panel.add(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(&m_panel, &AutoReadPanel::swatchesChanged, this, &AutoReadWidget::updateSwatches);
    connect(&m_panel, &AutoReadPanel::colourChanged, this, [this] {
        updateColourChip();
        updatePickNote();
        // The hint asking for a colour has done its work.
        if (m_count->text() == AutoReadPanel::noColourText())
            setMessage(QString());
    });
    connect(&m_panel, &AutoReadPanel::candidatesChanged, this, &AutoReadWidget::updateCount);
    connect(&m_panel, &AutoReadPanel::busyChanged, this, [this](bool busy) {
        m_read->setEnabled(!busy);
        m_add->setEnabled(!busy && !m_panel.candidates().points.empty());
        if (busy)
            setMessage(QCoreApplication::translate("AutoRead", "読取中..."));
        else if (m_panel.candidates().points.empty() && m_count->text() == QCoreApplication::translate("AutoRead", "読取中..."))
            setMessage(AutoReadPanel::cancelledText());
    });
    connect(&m_panel, &AutoReadPanel::progressShownChanged, this, [this](bool shown) {
        m_progress->setVisible(shown);
        m_cancel->setVisible(shown);
        m_progress->setValue(0);
    });
    connect(&m_panel, &AutoReadPanel::progress, this, [this](int done, int total) {
        m_progress->setRange(0, total);
        m_progress->setValue(done);
    });
    connect(&m_panel, &AutoReadPanel::failed, this, [this](const QString &why) { setMessage(why); });
    // The graph window may be closed and opened again.
    connect(&reading.graph, &GraphModel::loadedChanged, this, [this] { attachOverlay(); });
    connect(&m_panel, &AutoReadPanel::tintChanged, this, &AutoReadWidget::attachOverlay);
    connect(&m_panel, &AutoReadPanel::candidatesChanged, this, &AutoReadWidget::attachOverlay);

    updateSwatches();
    updateColourChip();
    updateMethod();
    updateTolerance();
}

AutoReadWidget::~AutoReadWidget() { detachOverlay(); }

void AutoReadWidget::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    attachOverlay();
}

void AutoReadWidget::closeEvent(QCloseEvent *e)
{
    m_panel.cancel();
    detachOverlay();
    QWidget::closeEvent(e);
}

void AutoReadWidget::attachOverlay()
{
    GraphPictureArea *area = m_graphs && m_graphs->widget() ? m_graphs->widget()->pictureArea() : nullptr;
    if (area == m_area && (m_overlay || !area))
        return;
    detachOverlay();
    m_area = area;
    if (!area)
        return;
    area->installEventFilter(this);
    m_overlay = new AutoReadOverlay(m_panel, area);
}

void AutoReadWidget::detachOverlay()
{
    if (m_area) {
        m_area->removeEventFilter(this);
        m_area->unsetCursor();
    }
    delete m_overlay;
    m_overlay = nullptr;
    m_area = nullptr;
}

bool AutoReadWidget::eventFilter(QObject *watched, QEvent *e)
{
    if (watched != m_area || !m_area)
        return QWidget::eventFilter(watched, e);
    if (e->type() == QEvent::Resize && m_overlay) {
        m_overlay->setGeometry(m_area->rect());
        m_overlay->updateTintView();
        return false;
    }
    if (e->type() == QEvent::Move && m_overlay) { // scrolled
        m_overlay->updateTintView();
        return false;
    }
    const bool picking = m_eyedropper->isChecked(), excluding = m_exclude->isChecked();
    const bool ranging = m_range->isChecked() || excluding;
    // Points are added on release: the release of the eyedropper's click
    // belongs to it too.
    if (m_swallowRelease && (e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseMove)) {
        if (e->type() == QEvent::MouseButtonRelease)
            m_swallowRelease = false;
        return true;
    }
    if (!picking && !ranging)
        return false;
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(e);
        if (me->button() != Qt::LeftButton)
            return true;
        if (picking) {
            const QPointF n = m_area->pixelCentre(me->position());
            m_panel.pickAt(n.x(), n.y());
            m_eyedropper->setChecked(false);
            m_swallowRelease = true;
        } else {
            m_dragStart = me->position().toPoint();
            m_dragging = true;
        }
        return true;
    }
    case QEvent::MouseMove: {
        if (m_dragging && m_overlay)
            m_overlay->setDragRect(QRect(m_dragStart, static_cast<QMouseEvent *>(e)->position().toPoint()).normalized(),
                                   excluding);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (m_dragging) {
            m_dragging = false;
            const QPoint end = static_cast<QMouseEvent *>(e)->position().toPoint();
            if (m_overlay)
                m_overlay->setDragRect(QRect());
            const bool dragged = (end - m_dragStart).manhattanLength() >= 3;
            if (dragged && excluding) {
                // Several rectangles in a row: the button stays down.
                m_panel.addExclusion(m_area->pixelCentre(m_dragStart), m_area->pixelCentre(end));
            } else {
                if (dragged)
                    m_panel.setLimit(m_area->pixelCentre(m_dragStart), m_area->pixelCentre(end));
                m_range->setChecked(false);
            }
        }
        return true;
    }
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

void AutoReadWidget::updateSwatches()
{
    const auto &s = m_panel.swatches();
    for (size_t i = 0; i < m_swatchButtons.size(); ++i) {
        QToolButton *b = m_swatchButtons[i];
        b->setVisible(i < s.size());
        if (i < s.size()) {
            const QColor c(s[i]);
            b->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #555;").arg(c.name()));
            b->setToolTip(c.name().toUpper());
        }
    }
}

void AutoReadWidget::updateColourChip()
{
    if (auto c = m_panel.colour()) {
        m_chip->setStyleSheet(QStringLiteral("background-color: %1;").arg(QColor(*c).name()));
        m_chip->setToolTip(QColor(*c).name().toUpper());
    } else {
        m_chip->setStyleSheet(QString());
    }
}

void AutoReadWidget::setMessage(const QString &text)
{
    m_count->setText(text);
    m_count->setToolTip(text); // in full, should it be longer than three lines
}

void AutoReadWidget::updateTolerance()
{
    const bool autoOn = m_panel.autoTolerance();
    const QSignalBlocker block(m_slider);
    m_auto->setChecked(autoOn);
    m_slider->setEnabled(!autoOn);
    const auto used = m_panel.toleranceUsed();
    if (autoOn && used) {
        m_slider->setValue(int(std::lround(*used)));
        m_sliderValue->setText(QString::number(*used, 'f', 1));
    } else {
        m_slider->setValue(m_panel.tolerance());
        m_sliderValue->setText(autoOn ? QStringLiteral("-") : QString::number(m_panel.tolerance()));
    }
    m_sliderValue->setToolTip(autoOn ? QCoreApplication::translate("AutoRead", "自動: 読み取った後に使った許容差を示します")
                                     : QString());
}

void AutoReadWidget::updatePickNote()
{
    const auto d = m_panel.pickedSwatchDistance();
    m_pickNote->setText(d ? QCoreApplication::translate("AutoRead", "スポイトの色: 最も近い色見本との差 ΔE %1")
                                .arg(QString::number(*d, 'f', 1))
                          : QString());
}

void AutoReadWidget::updateMethod()
{
    const bool markers = m_method->currentIndex() == 2;
    m_stepBox->setVisible(!markers);
    m_markerBox->setVisible(markers);
}

void AutoReadWidget::updateCount()
{
    const auto &c = m_panel.candidates();
    m_add->setEnabled(!m_panel.busy() && !c.points.empty());
    if (!m_panel.busy())
        setMessage(c.points.empty() && c.skipped == 0 ? QString() : m_panel.countText());
}

bool AutoReadWidget::applyOptions()
{
    bool bad = false;
    StepOptions s;
    s.from = optionalNumber(m_from, &bad);
    s.to = optionalNumber(m_to, &bad);
    if (m_useStep->isChecked()) {
        s.step = optionalNumber(m_step, &bad);
        bad = bad || !s.step;
    }
    s.points = m_points->value();
    MarkerOptions m;
    m.minArea = optionalNumber(m_minArea, &bad);
    m.maxArea = optionalNumber(m_maxArea, &bad);
    m.splitMerged = m_split->isChecked();
    if (bad) {
        setMessage(QCoreApplication::translate("AutoRead", "数値が不正です。"));
        return false;
    }
    m_panel.steps = s;
    m_panel.markers = m;
    return true;
}

namespace {

// Beside the series tables and the picture, never over the frame's corners.
void placePanel(QWidget *panel, const Reading &reading, GraphWindowHost *graphs, QWidget *parent)
{
    const QScreen *screen = parent ? parent->screen() : panel->screen();
    if (!screen)
        return;
    QRect picture;
    std::vector<QPoint> corners;
    QMdiSubWindow *graph = graphs ? graphs->subWindow() : nullptr;
    if (GraphPictureArea *area = graphs && graphs->widget() ? graphs->widget()->pictureArea() : nullptr) {
        const QRect seen = area->visibleRegion().boundingRect();
        picture = QRect(area->mapToGlobal(seen.topLeft()), seen.size());
        if (auto f = readFrame(reading.panel))
            for (const QPointF &c : f->corner)
                corners.push_back(area->mapToGlobal(area->toPixels(float(c.x()), float(c.y())).toPoint()));
    }
    std::vector<QRect> windows;
    if (graph && graph->mdiArea())
        for (QMdiSubWindow *s : graph->mdiArea()->subWindowList())
            if (s != graph && s->isVisible() && !s->isMinimized())
                windows.emplace_back(s->parentWidget()->mapToGlobal(s->geometry().topLeft()), s->size());
    // The frame around the window: its title bar must not cover them either.
    const QSize frame = panel->frameGeometry().size() - panel->size();
    const QRect r = AutoReadPanel::place(screen->availableGeometry(), panel->size() + frame, picture, windows, corners);
    panel->move(r.topLeft());
}

} // namespace

AutoReadWidget *openAutoReadPanel(Reading &reading, GraphWindowHost *graphs, QWidget *parent)
{
    const QString why = AutoReadPanel::cannotOpenText(reading);
    if (!why.isEmpty()) {
        reading.port().message(why);
        return nullptr;
    }
    if (!g_open) {
        g_open = new AutoReadWidget(reading, graphs, parent);
        g_open->adjustSize();
        placePanel(g_open, reading, graphs, parent);
    }
    g_open->show();
    g_open->raise();
    g_open->activateWindow();
    return g_open;
}

} // namespace orv::autoread
