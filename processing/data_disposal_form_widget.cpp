#include "processing/data_disposal_form_widget.h"

#include "processing/click_label.h"

#include "model/reading.h"
#include "model/readout_settings.h"
#include "processing/apprx_form_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>
#include <functional>
#include <cmath>

namespace orv {

KindPicture::KindPicture(FitKind kind, QWidget *parent) : QWidget(parent), m_kind(kind)
{
    setFixedSize(84, 60);
    setCursor(Qt::PointingHandCursor);
    setObjectName(QStringLiteral("Aprx_Kind_Picture%1").arg(int(kind)));
}

void KindPicture::setSelected(bool on)
{
    if (on == m_selected)
        return;
    m_selected = on;
    update();
}

void KindPicture::paintKind(QPainter &p, FitKind kind, const QRect &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(r, Qt::white);
    const QRectF a = QRectF(r).adjusted(10, 7, -7, -10);
    // Axes
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.drawLine(a.bottomLeft(), a.topLeft());
    p.drawLine(a.bottomLeft(), a.bottomRight());
    auto f = [kind](double t) { // t in [0, 1] -> value in [0, 1]
        switch (kind) {
        case FitKind::Linear: return 0.1 + 0.8 * t;
        case FitKind::Log: return 0.08 + 0.84 * std::log1p(12 * t) / std::log1p(12.0);
        case FitKind::Poly: return 0.5 + 0.9 * (t - 0.5) * (t - 0.15) * (t - 0.85) * 8 + 0.25 * (t - 0.5);
        case FitKind::Power: return 0.05 + 0.9 * std::pow(t, 1.8);
        case FitKind::Exp: return 0.05 + 0.9 * (std::exp(3.2 * t) - 1) / (std::exp(3.2) - 1);
        }
        return t;
    };
    auto at = [&](double t, double v) { return QPointF(a.left() + t * a.width(), a.bottom() - v * a.height()); };
    // Scattered points around the curve
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    const double jitter[] = {0.05, -0.06, 0.04, -0.03, 0.06, -0.05, 0.03};
    for (int i = 0; i < 7; ++i) {
        const double t = 0.08 + i * 0.14;
        p.drawEllipse(at(t, std::clamp(f(t) + jitter[i], 0.0, 1.0)), 1.6, 1.6);
    }
    // The curve
    QPainterPath path;
    for (int i = 0; i <= 60; ++i) {
        const double t = i / 60.0;
        const QPointF q = at(t, std::clamp(f(t), 0.0, 1.0));
        i ? path.lineTo(q) : path.moveTo(q);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 90, 200), 1.8));
    p.drawPath(path);
    p.restore();
}

void KindPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintKind(p, m_kind, rect());
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_selected) {
        // Shape1: a red frame 3 pixels wide
        p.setPen(QPen(Qt::red, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
}

void KindPicture::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Q_EMIT clicked();
}

DataDisposalFormWidget::DataDisposalFormWidget(DataDisposalForm &form, QWidget *parent)
    : QDialog(parent), m_form(form)
{
    setObjectName(QStringLiteral("DataDisposal_Form"));
    setWindowTitle(DataDisposalForm::captionText());
    setModal(true);

    auto *top = new QVBoxLayout(this);
    auto *seriesRow = new QHBoxLayout;
    auto *label1 = new QLabel(QCoreApplication::translate("Processing", "処理する系列　："), this);
    m_series = new QComboBox(this);
    m_series->setObjectName(QStringLiteral("Keiretsu_Combo"));
    m_series->setMinimumWidth(110);
    seriesRow->addWidget(label1);
    seriesRow->addWidget(m_series);
    seriesRow->addStretch();
    top->addLayout(seriesRow);

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    for (const QString &c : DataDisposalForm::tabCaptions())
        m_tabs->addTab(c);
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(true);
    top->addWidget(m_tabs);

    auto *frames = new QWidget(this);
    auto *stack = new QGridLayout(frames);
    stack->setContentsMargins(0, 0, 0, 0);
    top->addWidget(frames, 1);

    // Aprx_Frame
    auto *aprx = new QGroupBox(frames);
    aprx->setObjectName(QStringLiteral("Aprx_Frame"));
    m_aprxFrame = aprx;
    auto *ag = new QGridLayout(aprx);
    const int cells[kFitKindCount][2] = {{0, 0}, {0, 1}, {0, 2}, {2, 0}, {2, 1}};
    for (int i = 0; i < kFitKindCount; ++i) {
        m_kinds[size_t(i)] = new KindPicture(FitKind(i), aprx);
        auto *name = new QLabel(fitKindDisplayName(FitKind(i)), aprx);
        name->setObjectName(QStringLiteral("Label%1").arg(i + 2));
        name->setAlignment(Qt::AlignHCenter);
        ag->addWidget(m_kinds[size_t(i)], cells[i][0], cells[i][1], Qt::AlignHCenter);
        ag->addWidget(name, cells[i][0] + 1, cells[i][1], Qt::AlignHCenter);
        connect(m_kinds[size_t(i)], &KindPicture::clicked, this, [this, i] { m_form.Aprx_Kind_Picture_Click(i); });
    }
    auto *opts = new QGridLayout;
    auto *label7 = new QLabel(QCoreApplication::translate("Processing", "次数："), aprx);
    m_jisu = new QComboBox(aprx);
    m_jisu->setObjectName(QStringLiteral("Jisu_Combo"));
    m_jisu->addItems(DataDisposalForm::jisuItems());
    m_intcptCheck = new QCheckBox(QCoreApplication::translate("Processing", "切片を指定"), aprx);
    m_intcptCheck->setObjectName(QStringLiteral("Intcpt_Check"));
    m_intcptText = new QLineEdit(aprx);
    m_intcptText->setObjectName(QStringLiteral("Intcpt_Text"));
    m_intcptText->setMaximumWidth(90);
    opts->addWidget(label7, 0, 0, Qt::AlignRight);
    opts->addWidget(m_jisu, 0, 1);
    opts->addWidget(m_intcptCheck, 1, 0, 1, 2);
    opts->addWidget(m_intcptText, 2, 0, 1, 2);
    opts->setRowStretch(3, 1);
    ag->addLayout(opts, 2, 2, 2, 1);
    stack->addWidget(aprx, 0, 0);

    // Sort_Frame
    auto *sortBox = new QGroupBox(frames);
    sortBox->setObjectName(QStringLiteral("Sort_Frame"));
    m_sortFrame = sortBox;
    auto *sg = new QGridLayout(sortBox);
    m_asc = new QRadioButton(QCoreApplication::translate("Processing", "昇順"), sortBox);
    m_asc->setObjectName(QStringLiteral("Sort_Option0"));
    m_desc = new QRadioButton(QCoreApplication::translate("Processing", "降順"), sortBox);
    m_desc->setObjectName(QStringLiteral("Sort_Option1"));
    m_sortKey = new QComboBox(sortBox);
    m_sortKey->setObjectName(QStringLiteral("XY_Sort_Sel_Combo"));
    m_sortKey->addItems(DataDisposalForm::sortKeyItems());
    sg->addWidget(m_sortKey, 0, 0);
    sg->addWidget(m_asc, 0, 1);
    sg->addWidget(m_desc, 1, 1);
    sg->setRowStretch(2, 1);
    sg->setColumnStretch(2, 1);
    stack->addWidget(sortBox, 0, 0);

    // CSV_Save_Frame1
    auto *csvBox = new QGroupBox(frames);
    csvBox->setObjectName(QStringLiteral("CSV_Save_Frame1"));
    m_csvFrame = csvBox;
    auto *cg = new QGridLayout(csvBox);
    auto *csvLabel = new ClickLabel(csvBox);
    m_csvLabel = csvLabel;
    m_csvLabel->setObjectName(QStringLiteral("CSV_Save_Label"));
    m_csvLabel->setFrameShape(QFrame::StyledPanel);
    m_csvLabel->setFrameShadow(QFrame::Sunken);
    m_csvLabel->setMinimumHeight(24);
    m_csvLabel->setMinimumWidth(200);
    m_csvLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    csvLabel->onClick = [this] { m_form.CSV_Save_Label_Click(); };
    auto *browse = new QPushButton(QCoreApplication::translate("Processing", "参照"), csvBox);
    browse->setObjectName(QStringLiteral("BrowsCommand"));
    cg->addWidget(m_csvLabel, 0, 0);
    cg->addWidget(browse, 0, 1);
    cg->setRowStretch(1, 1);
    cg->setColumnStretch(0, 1);
    stack->addWidget(csvBox, 0, 0);

    auto *buttons = new QHBoxLayout;
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("OK_Command"));
    m_cancel = new QPushButton(QCoreApplication::translate("Processing", "閉じる"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel_Command"));
    m_ok->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    top->addLayout(buttons);

    connect(m_series, &QComboBox::activated, this, [this](int i) { m_form.setSeriesIndex(i); });
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int i) { m_form.TabStrip1_Click(i + 1); });
    connect(m_jisu, &QComboBox::activated, this, [this](int i) { m_form.Jisu_Combo_Click(i); });
    connect(m_intcptCheck, &QCheckBox::clicked, this, [this](bool on) { m_form.Intcpt_Check_Click(on); });
    connect(m_intcptText, &QLineEdit::textEdited, this, [this](const QString &t) { m_form.setIntcptText(t); });
    connect(m_asc, &QRadioButton::toggled, this, [this](bool on) { m_form.setSortAscending(on); });
    connect(m_sortKey, &QComboBox::activated, this, [this](int i) { m_form.setSortKeyIndex(i); });
    connect(browse, &QPushButton::clicked, this, [this] { m_form.BrowsCommand_Click(); });
    connect(m_ok, &QPushButton::clicked, this, &DataDisposalFormWidget::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_form, &DataDisposalForm::changed, this, &DataDisposalFormWidget::refresh);
    refresh();
    resize(sizeHint().expandedTo(QSize(420, 0)));
}

void DataDisposalFormWidget::refresh()
{
    {
        QSignalBlocker b(m_series);
        if (m_series->count() != m_form.seriesItems().size()) {
            m_series->clear();
            for (const QString &item : m_form.seriesItems())
                m_series->addItem(seriesDisplayName(item));
        }
        m_series->setCurrentIndex(m_form.seriesIndex());
    }
    {
        QSignalBlocker b(m_tabs);
        m_tabs->setCurrentIndex(m_form.tab() - 1);
    }
    m_aprxFrame->setVisible(m_form.aprxFrameVisible());
    m_sortFrame->setVisible(m_form.sortFrameVisible());
    m_csvFrame->setVisible(m_form.csvFrameVisible());
    m_ok->setText(m_form.okCaption());

    for (int i = 0; i < kFitKindCount; ++i)
        m_kinds[size_t(i)]->setSelected(m_form.kindIndex() == i);
    {
        QSignalBlocker b(m_jisu);
        m_jisu->setCurrentIndex(m_form.jisuIndex());
    }
    m_jisu->setEnabled(m_form.jisuEnabled());
    m_intcptCheck->setChecked(m_form.intcptChecked());
    m_intcptCheck->setEnabled(m_form.intcptCheckEnabled());
    if (m_intcptText->text() != m_form.intcptText())
        m_intcptText->setText(m_form.intcptText());
    m_intcptText->setEnabled(m_form.intcptTextEnabled());
    {
        QSignalBlocker b1(m_asc), b2(m_desc);
        m_asc->setChecked(m_form.sortAscending());
        m_desc->setChecked(!m_form.sortAscending());
    }
    {
        QSignalBlocker b(m_sortKey);
        m_sortKey->setCurrentIndex(m_form.sortKeyIndex());
    }
    m_csvLabel->setText(m_form.csvPath());
    m_csvLabel->setToolTip(m_form.csvToolTip());
}

void DataDisposalFormWidget::okClicked()
{
    switch (m_form.OK_Command_Click()) {
    case DataDisposalForm::Outcome::StayOpen:
        break;
    case DataDisposalForm::Outcome::Close:
        accept();
        break;
    case DataDisposalForm::Outcome::ShowResult: {
        auto result = m_form.takeResult();
        if (result) {
            ApprxFormWidget w(*result, this);
            w.exec();
        }
        break;
    }
    }
}

int openDataDisposal(Reading &reading, int series, QWidget *parent)
{
    DataDisposalForm form(reading);
    QStringList items;
    for (int n = 1; n <= Reading::kSeriesCount; ++n) {
        const QString name = QStringLiteral("系列%1").arg(n);
        if (reading.Is_FormOpen(name))
            items << name;
    }
    form.setSeriesItems(items, QStringLiteral("系列%1").arg(series));
    DataDisposalFormWidget w(form, parent);
    return w.exec();
}

} // namespace orv
