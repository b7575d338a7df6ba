// The main window's left panel: the picture frame, the calibration panel, the
// readout settings and the zoom frame, and how they follow the reading.
#include "mainwin/main_window.h"

#include "mainwin/main_window_layout.h"
#include "mainwin/whole_text_box.h"
#include "model/reading.h"
#include "model/utilities.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace orv {

using namespace mainwin_layout;

QWidget *MainWindow::buildTopBar()
{
    auto *bar = new QWidget;
    bar->setObjectName(QStringLiteral("Picture2"));
    bar->setFixedHeight(twipsToPx(735));
    m_openFrame = new QGroupBox(QCoreApplication::translate("Main", "グラフ画像読込み"), bar);
    m_openFrame->setObjectName(QStringLiteral("Open_GraphPic_Frame"));
    auto *browse = new QPushButton(QCoreApplication::translate("Main", "参照"), m_openFrame);
    browse->setObjectName(QStringLiteral("BrowsCommand"));
    browse->setGeometry(tw(60, 195, 780, 345));
    connect(browse, &QPushButton::clicked, this, [this] { m_form.BrowsCommand_Click(); });
    m_picLabel = new QLabel(m_openFrame);
    m_picLabel->setObjectName(QStringLiteral("Pic_Label"));
    m_picLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_clipPaste = new QPushButton(QStringLiteral("From Clipboard (bmp)"), m_openFrame);
    m_clipPaste->setObjectName(QStringLiteral("ClipBoardPaste_Command"));
    QFont small = m_clipPaste->font();
    small.setPointSizeF(8);
    m_clipPaste->setFont(small);
    connect(m_clipPaste, &QPushButton::clicked, this, [this] { m_form.ClipBoardPaste_Command_Click(); });
    addDropTarget(m_openFrame);
    return bar;
}

QWidget *MainWindow::buildLeftPanel()
{
    auto *panel = new QWidget;
    panel->setObjectName(QStringLiteral("Picture1"));
    panel->setFixedWidth(twipsToPx(3585));
    QFont small = panel->font();
    small.setPointSizeF(8.5);
    panel->setFont(small);
    buildCalibPanel(panel)->setGeometry(tw(30, 60, 3465, 4845));
    buildReadout(panel)->setGeometry(tw(30, 4920, 3465, 1440));
    m_windwFrame = buildZoomFrame(panel);
    return panel;
}

// A committed box's own Ctrl+Z goes back to the committed text, no further:
// what lies before it is the reading's undo.
static void restartBoxUndo(QLineEdit *e)
{
    const int cursor = e->cursorPosition();
    e->setText(e->text()); // clears the box's own undo
    e->setCursorPosition(cursor);
}

QGroupBox *MainWindow::cornerGroup(QWidget *parent, const char *name, const QString &title, Corner corner,
                                   bool withValues)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(QString::fromLatin1(name));
    label(g, QStringLiteral("X"), tw(90, 180, 705, 195))->setAlignment(Qt::AlignCenter);
    label(g, QStringLiteral("Y"), tw(840, 180, 705, 195))->setAlignment(Qt::AlignCenter);
    const CalibPanel::PosBox boxes[2] = {CalibPanel::xBox(corner), CalibPanel::yBox(corner)};
    static const char *posNames[8] = {"LLX_Text", "LLY_Text", "LUX_Text", "LUY_Text",
                                      "RUX_Text", "RUY_Text", "RLX_Text", "RLY_Text"};
    for (int i = 0; i < 2; ++i) {
        const CalibPanel::PosBox b = boxes[i];
        auto *e = new QLineEdit(g);
        e->setObjectName(QString::fromLatin1(posNames[b]));
        e->setGeometry(tw(90 + 750 * i, 375, 705, 300));
        e->setTextMargins(-1, 0, -1, 0);
        QFont small = e->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        e->setFont(small);
        keepWholeTextInView(e);
        connect(e, &QLineEdit::textEdited, this, [this, b](const QString &t) { m_r.panel.setPos(b, t); });
        // Enter or leaving the box makes the typing one undo step.
        connect(e, &QLineEdit::editingFinished, this, [this, b, e] {
            m_r.history().commitPosition(b);
            restartBoxUndo(e);
        });
        e->installEventFilter(this); // Ctrl+Z
        m_pos[b] = e;
        updatePosBox(b);
        updateHighlight(b);
    }
    if (withValues) {
        const bool ll = corner == LL;
        const CalibPanel::ValBox vals[2] = {ll ? CalibPanel::LLX_VLText : CalibPanel::RUX_VLText,
                                            ll ? CalibPanel::LLY_VLText : CalibPanel::RUY_VLText};
        static const char *valNames[4] = {"LLX_VLText", "LLY_VLText", "RUX_VLText", "RUY_VLText"};
        for (int i = 0; i < 2; ++i) {
            const CalibPanel::ValBox b = vals[i];
            auto *e = new QLineEdit(g);
            e->setObjectName(QString::fromLatin1(valNames[b]));
            e->setGeometry(tw(90 + 750 * i, 690, 705, 300));
            e->setToolTip(ll ? QCoreApplication::translate("Main", "グラフの左下の数値を入力して下さい。")
                             : QCoreApplication::translate("Main", "グラフの右上の数値を入力して下さい。"));
            e->setProperty("hint", e->toolTip());
            e->installEventFilter(this); // select all on focus
            keepWholeTextInView(e);
            connect(e, &QLineEdit::textEdited, this, [this, b](const QString &t) { m_r.panel.setVal(b, t); });
            connect(e, &QLineEdit::editingFinished, this, [this, b, e] {
                // A typed date is shown back in the axis's form before it is
                // committed as a step.
                m_form.valueBoxDone(b);
                m_r.history().commitValue(b);
                restartBoxUndo(e);
            });
            m_val[b] = e;
            updateValBox(b);
        }
    }
    return g;
}

QGroupBox *MainWindow::buildCalibPanel(QWidget *parent)
{
    auto *f = new QGroupBox(QCoreApplication::translate("Main", "枠線定義"), parent);
    f->setObjectName(QStringLiteral("Dft_Point_Frame"));

    m_tabs = new QTabBar(f);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    // The mode names in the reading file stay CalibPanel's; the tabs show them
    // in the user's language.
    m_tabs->addTab(QCoreApplication::translate("Main", "対角定義"));
    m_tabs->addTab(QCoreApplication::translate("Main", "4点定義"));
    m_tabs->addTab(QCoreApplication::translate("Main", "射影定義"));
    m_tabs->setTabToolTip(2, Main_MDI_Form::projectiveToolTip());
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(true);
    m_tabs->setGeometry(tw(90, 225, 3285, 375));
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int i) {
        if (i >= 0)
            m_form.selectModeTab(i + 1);
    });
    // A wheel turn or an arrow key switches the tab without a click; the mode
    // follows too. (The view's own changes are made with signals blocked.)
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int i) {
        if (i >= 0 && i + 1 != m_r.panel.selectedTab())
            m_form.selectModeTab(i + 1);
    });
    addDropTarget(m_tabs);

    m_luFrame = cornerGroup(f, "LU_Frame", QCoreApplication::translate("Main", "左上"), LU, false);
    m_luFrame->setGeometry(tw(90, 630, 1620, 1005));
    auto *ru = cornerGroup(f, "RU_Frame", QCoreApplication::translate("Main", "右上"), RU, true);
    ru->setGeometry(tw(1755, 630, 1620, 1005));

    m_hint = new QLabel(f);
    m_hint->setObjectName(QStringLiteral("Dfnt_Picture"));
    m_hint->setGeometry(tw(90, 1665, 3285, 1335));
    m_hint->setAlignment(Qt::AlignCenter);
    addDropTarget(m_hint);
    auto *autoCal = new QPushButton(QCoreApplication::translate("Main", "自動校正"), f);
    autoCal->setObjectName(QStringLiteral("AutoCal_Command"));
    autoCal->setGeometry(tw(1980, 2685, 1395, 315));
    connect(autoCal, &QPushButton::clicked, this, [this] { m_form.runCommand(QStringLiteral("AutoCal_Command")); });

    auto *ll = cornerGroup(f, "LL_Frame", QCoreApplication::translate("Main", "左下"), LL, true);
    ll->setGeometry(tw(90, 3030, 1620, 1005));
    m_rlFrame = cornerGroup(f, "RL_Frame", QCoreApplication::translate("Main", "右下"), RL, false);
    m_rlFrame->setGeometry(tw(1755, 3030, 1620, 1005));

    // Linear and Log on the first row, the date kind below them.
    auto axisFrame = [&](const char *name, const QString &title, QRadioButton *&lnr, QRadioButton *&log,
                         QRadioButton *&date, const char *lnrName, const char *logName, const char *dateName,
                         int left) {
        auto *g = new QGroupBox(title, f);
        g->setObjectName(QString::fromLatin1(name));
        g->setGeometry(tw(left, 4065, 1620, 705));
        lnr = new QRadioButton(QCoreApplication::translate("Main", "リニア"), g);
        lnr->setObjectName(QString::fromLatin1(lnrName));
        lnr->setGeometry(tw(105, 195, 855, 255));
        log = new QRadioButton(QStringLiteral("Log"), g);
        log->setObjectName(QString::fromLatin1(logName));
        log->setGeometry(tw(975, 195, 630, 255));
        date = new QRadioButton(Main_MDI_Form::dateOptionText(), g);
        date->setObjectName(QString::fromLatin1(dateName));
        date->setGeometry(tw(105, 435, 1200, 255));
        addDropTarget(g);
    };
    axisFrame("Frame1", QCoreApplication::translate("Main", "X軸"), m_xLnr, m_xLog, m_xDate, "X_Lnr_Option",
              "X_Log_Option", "X_Date_Option", 90);
    axisFrame("Frame2", QCoreApplication::translate("Main", "Y軸"), m_yLnr, m_yLog, m_yDate, "Y_Lnr_Option",
              "Y_Log_Option", "Y_Date_Option", 1755);
    connect(m_xLnr, &QRadioButton::clicked, this, [this] { m_form.X_Lnr_Option_Click(); });
    connect(m_xLog, &QRadioButton::clicked, this, [this] { m_form.X_Log_Option_Click(); });
    connect(m_xDate, &QRadioButton::clicked, this, [this] { m_form.X_Date_Option_Click(); });
    connect(m_yLnr, &QRadioButton::clicked, this, [this] { m_form.Y_Lnr_Option_Click(); });
    connect(m_yLog, &QRadioButton::clicked, this, [this] { m_form.Y_Log_Option_Click(); });
    connect(m_yDate, &QRadioButton::clicked, this, [this] { m_form.Y_Date_Option_Click(); });
    updateAxisOptions();

    CalibPanel &p = m_r.panel;
    connect(&p, &CalibPanel::posChanged, this, &MainWindow::updatePosBox);
    connect(&p, &CalibPanel::valChanged, this, &MainWindow::updateValBox);
    connect(&p, &CalibPanel::highlightChanged, this, &MainWindow::updateHighlight);
    connect(&p, &CalibPanel::axisModeChanged, this, &MainWindow::updateAxisOptions);
    connect(&p, &CalibPanel::tabClicked, this, [this](int tab) {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(tab - 1);
    });
    return f;
}

QGroupBox *MainWindow::buildReadout(QWidget *parent)
{
    auto *f = new QGroupBox(QCoreApplication::translate("Main", "読み出し値"), parent);
    f->setObjectName(QStringLiteral("ReadGraph_Setting_Frame"));
    struct Row {
        const char *name;
        QString caption;
        Combo *combo;
    };
    const Row rows[3] = {{"Keiretsu_Combo", QCoreApplication::translate("Main", "系列"), &m_r.settings.keiretsu},
                         {"X_Format_Combo", QCoreApplication::translate("Main", "有効桁(X)"), &m_r.settings.xFormat},
                         {"Y_Format_Combo", QCoreApplication::translate("Main", "有効桁(Y)"), &m_r.settings.yFormat}};
    for (int i = 0; i < 3; ++i) {
        const int top = 255 + 390 * i;
        label(f, rows[i].caption, tw(150, top + 15, 900, 300));
        label(f, QCoreApplication::translate("Main", "："), tw(1050, top + 15, 210, 300));
        auto *c = new QComboBox(f);
        c->setObjectName(QString::fromLatin1(rows[i].name));
        for (const QString &item : rows[i].combo->items())
            c->addItem(seriesDisplayName(item));
        c->setCurrentIndex(rows[i].combo->index());
        c->setGeometry(tw(1275, top, 2070, 345));
        c->setMaxVisibleItems(16);
        Combo *model = rows[i].combo;
        connect(c, &QComboBox::activated, model, [model](int idx) { model->setIndex(idx); });
        connect(model, &Combo::textChanged, c, [c, model] {
            const QSignalBlocker block(c);
            c->setCurrentIndex(int(model->items().indexOf(model->text())));
        });
        // A date axis offers date patterns instead of digits.
        connect(model, &Combo::itemsChanged, c, [c, model] {
            const QSignalBlocker block(c);
            c->clear();
            for (const QString &item : model->items())
                c->addItem(seriesDisplayName(item));
            c->setCurrentIndex(model->index());
        });
    }
    addDropTarget(f);
    return f;
}

QGroupBox *MainWindow::buildZoomFrame(QWidget *parent)
{
    auto *f = new QGroupBox(QCoreApplication::translate("Main", "拡大ウィンドウ"), parent);
    f->setObjectName(QStringLiteral("Windw_Frame"));
    label(f, QCoreApplication::translate("Main", "拡大倍率"), tw(150, 210, 900, 300));
    label(f, QCoreApplication::translate("Main", "："), tw(1050, 210, 210, 300));
    auto *c = new QComboBox(f);
    c->setObjectName(QStringLiteral("Zoom_Combo"));
    Combo *model = &m_r.settings.zoom;
    c->addItems(model->items());
    c->setCurrentIndex(model->index());
    c->setMaxVisibleItems(12);
    c->setGeometry(tw(1275, 180, 1200, 345));
    connect(c, &QComboBox::activated, model, [model](int idx) { model->setIndex(idx); });
    connect(model, &Combo::textChanged, c, [c, model] {
        const QSignalBlocker block(c);
        c->setCurrentIndex(int(model->items().indexOf(model->text())));
    });
    m_zoomPicture = new ZoomPictureWidget(m_form.zoom, f);
    addDropTarget(m_zoomPicture);
    return f;
}


void MainWindow::updatePosBox(CalibPanel::PosBox b)
{
    if (m_pos[b] && m_pos[b]->text() != m_r.panel.pos(b)) {
        m_pos[b]->setText(m_r.panel.pos(b));
        // Positions are longer than the narrow boxes: show their start, and
        // the whole text as a tool tip.
        if (!m_pos[b]->hasFocus())
            m_pos[b]->setCursorPosition(0);
        m_pos[b]->setToolTip(m_r.panel.pos(b));
    }
}

void MainWindow::updateValBox(CalibPanel::ValBox b)
{
    QLineEdit *e = m_val[b];
    if (!e)
        return;
    // A date is longer than the narrow box: its start shows, the whole date
    // is in the tool tip under the box's hint.
    if (e->text() != m_r.panel.val(b)) {
        e->setText(m_r.panel.val(b));
        if (!e->hasFocus())
            e->setCursorPosition(0);
    }
    const QString hint = e->property("hint").toString();
    e->setToolTip(m_r.isDateAxis(CalibPanel::isXBox(b)) ? hint + u'\n' + m_r.panel.val(b) : hint);
}

void MainWindow::updateHighlight(CalibPanel::PosBox b)
{
    QLineEdit *e = m_pos[b];
    if (!e)
        return;
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, m_r.panel.highlighted(b) ? kHilight : palette().color(QPalette::Button));
    e->setPalette(pal);
}

void MainWindow::updateAxisOptions()
{
    auto pick = [](AxisKind k, QRadioButton *lnr, QRadioButton *log, QRadioButton *date) {
        return k == AxisKind::Log ? log : k == AxisKind::Date ? date : lnr;
    };
    pick(m_r.panel.xKind(), m_xLnr, m_xLog, m_xDate)->setChecked(true);
    pick(m_r.panel.yKind(), m_yLnr, m_yLog, m_yDate)->setChecked(true);
    for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
        updateValBox(CalibPanel::ValBox(b));
}

void MainWindow::updateMode(bool diagonal)
{
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(m_r.panel.selectedTab() - 1);
    }
    m_luFrame->setVisible(!diagonal);
    m_rlFrame->setVisible(!diagonal);
    // A missing hint picture leaves the box empty.
    QPixmap pm(m_form.hintPicturePath());
    if (pm.isNull())
        m_hint->clear();
    else
        m_hint->setPixmap(pm);
}


} // namespace orv
