#include "mainwin/main_mdi_form.h"
#include "model/datetext.h"

#include "model/language.h"
#include "model/numtext.h"
#include "model/pdf_source.h"
#include "model/picture.h"
#include "model/picture_opening.h"
#include "model/reading.h"
#include "model/utilities.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <new>

namespace orv {

Main_MDI_Form::Main_MDI_Form(Reading &reading, QObject *parent) : QObject(parent), zoom(reading), m_r(reading)
{
    connect(&m_r.panel, &CalibPanel::posChanged, this, [this] { Text_Inpt(); });
    connect(&m_r.panel, &CalibPanel::tabClicked, this, [this] { TabStrip1_Click(); });
    connect(&m_r.settings.keiretsu, &Combo::clicked, this, &Main_MDI_Form::Keiretsu_Combo_Click);
    connect(&m_r.settings.zoom, &Combo::clicked, this, &Main_MDI_Form::Zoom_Combo_Click);
    connect(&m_r, &Reading::initZoomRequested, &zoom, &ZoomView::Init_Zoom);
    connect(&m_r, &Reading::zoomImageHidden, &zoom, [this] { zoom.setImageVisible(false); });
    connect(&m_r, &Reading::pictureShown, &zoom, [this] {
        zoom.takePicture(m_r.graph.picture(), m_r.graph.naturalSize());
        // A page of a PDF: the zoom view renders from the page itself.
        const PictureSource src = splitPictureSource(m_r.GraphPic_Path);
        if (!src.file.isEmpty() && isPdfFile(src.file))
            zoom.setPdfSource(src.file, src.page);
        zoom.Size_ZoomImage();
        zoom.setImageVisible(true);
    });
    connect(&m_r.graph, &GraphModel::pictureRefined, &zoom, [this] { zoom.refinePicture(m_r.graph.picture()); });
    connect(&m_r, &Reading::zoomFollowRequested, &zoom, [this](float x, float y) { zoom.Move_ZoomImage(x, y); });
    connect(&m_r, &Reading::filesDropped, this, &Main_MDI_Form::dropFiles);
    // With no picture open, the status bar says how to open one again.
    connect(&m_r.graph, &GraphModel::loadedChanged, this, [this](bool loaded) {
        if (!loaded) {
            m_r.setStatusText(startStatusText());
            m_readingFolder.clear();
        }
    });
}

// --- Texts ---------------------------------------------------------------

// Built at each call: the texts follow the installed catalogue.
std::vector<Main_MDI_Form::MenuItem> Main_MDI_Form::menuItems()
{
    std::vector<MenuItem> items = {
        {QStringLiteral("File_Mn"), QCoreApplication::translate("Main", "ファイル(&F)"), 0},
        {QStringLiteral("Saved_File_Open_Mn"), QCoreApplication::translate("Main", "状態設定ファイルを開く(&I)"), 1},
        {QStringLiteral("Open_GraphPic_Mn"), QCoreApplication::translate("Main", "新規グラフ画像読込み(&O)"), 1},
        {QStringLiteral("Input_from_ClipBoard_Mn"), QCoreApplication::translate("Main", "クリップボードから画像読込み(&C)"), 1},
        {QStringLiteral("sep1"), QStringLiteral("-"), 1},
        {QStringLiteral("Save_File_Mn"), QCoreApplication::translate("Main", "現在の状態をファイルに保存(&S)"), 1},
        {QStringLiteral("sep2"), QStringLiteral("-"), 1},
        {QStringLiteral("Quit_App"), QCoreApplication::translate("Main", "終了(&Q)"), 1},
        {QStringLiteral("Edit_Mn"), QCoreApplication::translate("Main", "編集(&E)"), 0},
        {QStringLiteral("Undo_Mn"), QCoreApplication::translate("Main", "元に戻す(&U)"), 1},
        {QStringLiteral("Redo_Mn"), QCoreApplication::translate("Main", "やり直し(&R)"), 1},
        {QStringLiteral("sep4"), QStringLiteral("-"), 1},
        {QStringLiteral("Copy_Data_Mn"), QCoreApplication::translate("Main", "コピー(&C)"), 1},
        {QStringLiteral("Window_Mn"), QCoreApplication::translate("Main", "ウィンドウ(&W)"), 0},
        {QStringLiteral("Cscd_Mn"), QCoreApplication::translate("Main", "ウィンドウの整列(&S)"), 1},
        {QStringLiteral("etc_Mn"), QCoreApplication::translate("Main", "その他(&E)"), 0},
        {QStringLiteral("Grid_Mn"), QCoreApplication::translate("Main", "目盛線を表示(&G)"), 1},
        {QStringLiteral("AutoRead_Mn"), QCoreApplication::translate("Main", "自動読取(&A)..."), 1},
        {QStringLiteral("AutoCal_Mn"), QCoreApplication::translate("Main", "自動校正(&C)..."), 1},
        {QStringLiteral("sep3"), QStringLiteral("-"), 1},
        {QStringLiteral("Version_Mn"), QCoreApplication::translate("Main", "バージョン情報(&V)"), 1},
        {QStringLiteral("Help_Mn"), QCoreApplication::translate("Main", "ヘルプ(&H)"), 1},
    };
    return items;
}

std::vector<Main_MDI_Form::ToolButton> Main_MDI_Form::toolButtons()
{
    std::vector<ToolButton> buttons = {
        {QStringLiteral("sep0"), QString()},
        {QStringLiteral("Open_File_Mn1"), QCoreApplication::translate("Main", "状態設定ファイル、画像ファイルを開く")},
        {QStringLiteral("sep1"), QString()},
        {QStringLiteral("Save_grc_Mn1"), QCoreApplication::translate("Main", "現在の状態をファイルに保存")},
        {QStringLiteral("Undo_Mn1"), QCoreApplication::translate("Main", "元に戻す")},
        {QStringLiteral("Redo_Mn1"), QCoreApplication::translate("Main", "やり直し")},
        {QStringLiteral("sep2"), QString()},
        {QStringLiteral("Grid_Mn1"), QCoreApplication::translate("Main", "目盛線を表示(枠線の座標の目盛線を画像に重ねて描きます)")},
        {QStringLiteral("AutoRead_Mn1"), QCoreApplication::translate("Main", "自動読取(曲線やマーカーを色で読み取ります)")},
        {QStringLiteral("sep3"), QString()},
        {QStringLiteral("Version_Mn1"), QCoreApplication::translate("Main", "バージョン情報")},
        {QStringLiteral("Help_Mn1"), QCoreApplication::translate("Main", "ヘルプを表示")},
    };
    return buttons;
}

QString Main_MDI_Form::startStatusText()
{
    return QCoreApplication::translate("Main", "「参照」ボタンを押して、グラフ画像ファイルを開く、又は「Clipboardから貼付(bmp限定)」"
                          "ボタンを押して画像を読み込んで下さい。");
}

QString Main_MDI_Form::openedStatusText() { return Reading::defineFrameText(); }

QString Main_MDI_Form::openFileTitle() { return QCoreApplication::translate("Main", "状態設定ファイル、画像ファイルを開く"); }

QString Main_MDI_Form::openFileFilter()
{
    return QCoreApplication::translate("Main", "全てのファイル(*.*)|*.*|JPG(*.jpg)|*.jpg|Bitmap(*.bmp)|*.bmp|JPEG(*.jpeg)|*.jpeg|"
                          "GIF(*.gif)|*.gif|PNG(*.png)|*.png|PDF(*.pdf)|*.pdf|状態設定ファイル(*.orvd)|*.orvd");
}

QString Main_MDI_Form::stateFileTitle() { return QCoreApplication::translate("Main", "状態設定ファイルを開く"); }

QString Main_MDI_Form::stateFileFilter() { return QCoreApplication::translate("Main", "状態設定ファイル(*.orvd)|*.orvd"); }

QString Main_MDI_Form::invalidPictureText() { return QCoreApplication::translate("Main", "エラー！(No.1)(不正な画像ファイルです。)"); }

QString Main_MDI_Form::tooLargePictureText()
{
    return QCoreApplication::translate("Main", "エラー！(No.1)(画像が大きすぎます。1億5千万画素までの画像を開けます。)");
}

QString Main_MDI_Form::noClipboardPictureText()
{
    return QCoreApplication::translate("Main", "エラー！(No.1)(有効な画像データがありません。)");
}

QString Main_MDI_Form::clipboardFailedText() { return QCoreApplication::translate("Main", "クリップボードからの読み込みに失敗しました。"); }

QString Main_MDI_Form::unsupportedFileText()
{
    return QCoreApplication::translate("Main", "エラー！(No.1)(このファイルは開けません：%1)\r"
                          "開けるのは画像ファイル(jpg, jpeg, bmp, gif, png)、PDFファイル(pdf)と状態設定ファイル(orvd)です。");
}

QString Main_MDI_Form::errorNo0Text() { return QCoreApplication::translate("Main", "エラー！(No.0)"); }

QString Main_MDI_Form::logAxisText()
{
    return QCoreApplication::translate("Main", "対数(Log)軸で0又は0以下の指定は出来ません。\r(暫定的に0.01に変更します。)");
}

bool Main_MDI_Form::isPictureExtension(const QString &ext)
{
    return ext == u"jpg" || ext == u"bmp" || ext == u"jpeg" || ext == u"gif" || ext == u"png" || ext == u"pdf";
}

QString Main_MDI_Form::projectiveToolTip()
{
    return QCoreApplication::translate("Main", "斜めから撮影したグラフ(写真)を正確に読み取ります。\n"
                          "グラフの4隅をクリックして下さい(4点定義と同じ操作です)。");
}

QString Main_MDI_Form::hintPicturePath() const
{
    const int tab = m_r.panel.selectedTab();
    // The pictures have words: English ones beside the Japanese.
    const QString suffix = currentLanguage() == Language::English ? QStringLiteral("_en.bmp") : QStringLiteral(".bmp");
    return m_r.programFolder + (tab == 1   ? QStringLiteral("/img/2pt")
                                : tab == 3 ? QStringLiteral("/img/pj")
                                           : QStringLiteral("/img/4pt")) + suffix;
}

// --- Lifecycle -------------------------------------------------------------

void Main_MDI_Form::MDIForm_Load()
{
    m_r.Init_App();
    m_r.graph.setGridVisible(m_r.port().flag(QLatin1String(kGridKey), false));
    m_r.setStatusText(startStatusText());
}

void Main_MDI_Form::QueryUnload() { m_r.Close_Confirmed = true; }

Main_MDI_Form::Layout Main_MDI_Form::MDIForm_Resize(WindowState state, int heightTwips, int widthTwips)
{
    Layout l = m_layout;
    l.sizeRaised = false;
    if (state == WindowState::Normal) {
        if (heightTwips < kMinHeightTwips) {
            heightTwips = kMinHeightTwips;
            l.sizeRaised = true;
        }
        if (widthTwips < kMinWidthTwips) {
            widthTwips = kMinWidthTwips;
            l.sizeRaised = true;
        }
    }
    l.heightTwips = heightTwips;
    l.widthTwips = widthTwips;
    if (state != WindowState::Minimized) {
        const int dh = heightTwips - kDesignHeightTwips;
        const int dw = widthTwips - kDesignWidthTwips;
        // A maximised window on a small screen can make these negative; a
        // control cannot be smaller than nothing.
        l.windwFrameHeight = std::max(0, dh + 3225);
        l.zoomPictureHeight = std::max(0, dh + 2595);
        l.openFrameWidth = std::max(0, dw + 15765);
        l.picLabelWidth = std::max(0, dw + 12735);
        l.clipPasteLeft = std::max(0, dw + 13740);
        zoom.setAreaTwips(ZoomView::kDesignWidthTwips, l.zoomPictureHeight);
    }
    m_layout = l;
    zoom.Init_Zoom();
    Q_EMIT layoutChanged();
    return l;
}

// --- Commands --------------------------------------------------------------

bool Main_MDI_Form::runCommand(const QString &name)
{
    if (name == u"Saved_File_Open_Mn")
        Saved_File_Open_Mn_Click();
    else if (name == u"Open_GraphPic_Mn" || name == u"Open_File_Mn1" || name == u"BrowsCommand")
        BrowsCommand_Click();
    else if (name == u"Input_from_ClipBoard_Mn" || name == u"ClipBoardPaste_Command")
        ClipBoardPaste_Command_Click();
    else if (name == u"Save_File_Mn" || name == u"Save_grc_Mn1")
        Save_File_Mn_Click();
    else if (name == u"Quit_App")
        Quit_App_Click();
    else if (name == u"Undo_Mn" || name == u"Undo_Mn1")
        Undo_Mn_Click();
    else if (name == u"Redo_Mn" || name == u"Redo_Mn1")
        Redo_Mn_Click();
    else if (name == u"Copy_Data_Mn")
        Copy_Data_Mn_Click();
    else if (name == u"Cscd_Mn")
        Cscd_Mn_Click();
    else if (name == u"Version_Mn" || name == u"Version_Mn1")
        Version_Mn_Click();
    else if (name == u"Help_Mn" || name == u"Help_Mn1")
        Help_Mn_Click();
    else if (name == u"Grid_Mn" || name == u"Grid_Mn1")
        Grid_Mn_Click();
    else if (name == u"AutoRead_Mn" || name == u"AutoRead_Mn1") {
        if (onAutoRead)
            onAutoRead();
    }
    else if (name == u"AutoCal_Mn" || name == u"AutoCal_Command") {
        if (onAutoCalibrate)
            onAutoCalibrate();
    }
    else
        return false;
    return true;
}

void Main_MDI_Form::Grid_Mn_Click()
{
    const bool on = !m_r.graph.gridVisible();
    m_r.graph.setGridVisible(on);
    m_r.port().setFlag(QLatin1String(kGridKey), on);
}

void Main_MDI_Form::Saved_File_Open_Mn_Click()
{
    const QString path = Get_FileName(m_r, stateFileTitle(), stateFileFilter(), documentFolder());
    if (!path.isEmpty())
        loadReading(path);
}

void Main_MDI_Form::loadReading(const QString &path)
{
    if (onLoadState && onLoadState(path))
        m_readingFolder = QFileInfo(path).absolutePath();
}

QString Main_MDI_Form::documentFolder() const
{
    if (!m_r.graph.loaded())
        return QString();
    if (!m_readingFolder.isEmpty())
        return m_readingFolder;
    // A pasted picture has no file (and no folder) until it is saved.
    const QString file = splitPictureSource(m_r.GraphPic_Path).file;
    return file.isEmpty() ? QString() : QFileInfo(file).absolutePath();
}

void Main_MDI_Form::BrowsCommand_Click() { openDialogAndDispatch(); }

void Main_MDI_Form::MDIForm_DblClick() { openDialogAndDispatch(); }

void Main_MDI_Form::openDialogAndDispatch()
{
    const QString path = Get_FileName(m_r, openFileTitle(), openFileFilter(), documentFolder());
    if (path.isEmpty())
        return;
    // The chosen file is checked before anything is reset: a picture is
    // decoded first and resets the reading itself (Open_Pic), a reading file
    // is read and checked by its loader before it replaces the current one,
    // and a file of another kind leaves everything as it was. The browse
    // command therefore resets nothing up front.
    Drop_Files(path);
}

void Main_MDI_Form::Save_File_Mn_Click()
{
    if (onSaveState)
        onSaveState();
}

QString Main_MDI_Form::undoCaption() const
{
    const History &h = m_r.history();
    return h.canUndo() ? QCoreApplication::translate("Main", "元に戻す - %1(&U)").arg(h.undoText())
                       : QCoreApplication::translate("Main", "元に戻す(&U)");
}

QString Main_MDI_Form::redoCaption() const
{
    const History &h = m_r.history();
    return h.canRedo() ? QCoreApplication::translate("Main", "やり直し - %1(&R)").arg(h.redoText())
                       : QCoreApplication::translate("Main", "やり直し(&R)");
}

void Main_MDI_Form::Undo_Mn_Click() { m_r.history().undo(); }

void Main_MDI_Form::Redo_Mn_Click() { m_r.history().redo(); }

void Main_MDI_Form::Quit_App_Click()
{
    // Never ends with unsaved changes unasked.
    if (!m_r.confirmDiscardChanges(false))
        return;
    m_r.Close_Confirmed = true; // whatever closes on the way out asks nothing
    Q_EMIT quitRequested();
}

void Main_MDI_Form::Copy_Data_Mn_Click()
{
    // Before any table was clicked (0), or after that table was closed, there
    // is nothing to copy.
    const int s = m_r.Cur_Keiretsu;
    if (!Reading::validSeries(s) || !m_r.grid(s).loaded())
        return;
    m_r.port().clearClipboard();
    m_r.port().setClipboardText(m_r.grid(s).selectionText());
}

void Main_MDI_Form::Cscd_Mn_Click() { Q_EMIT arrangeRequested(); }

void Main_MDI_Form::Version_Mn_Click() { Q_EMIT versionRequested(); }

void Main_MDI_Form::Help_Mn_Click() { Show_Help(m_r); }

// --- Picture loading ---------------------------------------------------------

bool Main_MDI_Form::discardReading()
{
    // One question: the unsaved-changes one, or (unmodified) the tables' ones.
    if (!m_r.confirmDiscardChanges())
        return false;
    m_r.Reset_Reading(false);
    return true;
}

void Main_MDI_Form::dropFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    Drop_Files(paths.first());
}

void Main_MDI_Form::Drop_Files(const QString &path)
{
    if (path.isEmpty())
        return;
    // "fig.pdf#page=3" names page 3 of fig.pdf.
    const QString ext = Get_Ext(Split_Path(splitPictureSource(path).file, 1)).toLower();
    if (isPictureExtension(ext))
        Open_Pic(path);
    else if (ext == u"orvd")
        loadReading(path);
    else
        m_r.port().message(unsupportedFileText().arg(Split_Path(path, 1)));
}

bool Main_MDI_Form::Open_Pic(const QString &path)
{
    if (path.isEmpty())
        return false;
    if (isPdfFile(splitPictureSource(path).file))
        return openPdf(path);
    // A folder, a device or a FIFO is refused before anything is read or reset.
    if (!File_Exists(path)) {
        m_r.port().message(invalidPictureText());
        return false;
    }
    // Decoded before anything is asked or reset: a file that is no picture
    // leaves the current reading, its windows and its boxes as they were. A
    // large photo is shown at once from a reduced decode; the whole picture
    // follows from a worker thread.
    const auto img = decodeForShowing(path);
    if (!img) {
        m_r.port().message(img.error() == PictureError::TooLarge ? tooLargePictureText() : invalidPictureText());
        return false;
    }
    if (!showOpened(path, img->image, img->natural))
        return false;
    if (img->reduced())
        decodeWholeLater(m_r, path, img->image, [this](bool) { Q_EMIT wholePictureDecoded(); });
    return true;
}

bool Main_MDI_Form::openPdf(const QString &path)
{
    const PictureSource src = splitPictureSource(path);
    auto doc = PdfDocument::open(src.file);
    if (!doc) {
        m_r.port().message(doc.error() == PictureError::Protected ? protectedPdfText()
                           : doc.error() == PictureError::TooLarge ? tooLargePictureText()
                                                                   : invalidPictureText());
        return false;
    }
    if (src.page >= doc->pageCount() || doc->pageSize(src.page).isEmpty()) {
        m_r.port().message(invalidPictureText());
        return false;
    }
    PdfPageChoice choice{src.page, doc->defaultDpi(src.page)};
    // A path that names its page ("#page=N") opens that page; a file of
    // several pages asks which one.
    if (!src.explicitPage && doc->pageCount() > 1) {
        const auto chosen = m_r.port().choosePdfPage(*doc, src.file, choice);
        if (!chosen)
            return false;
        if (chosen->page < 0 || chosen->page >= doc->pageCount() || doc->pageSize(chosen->page).isEmpty()) {
            m_r.port().message(invalidPictureText());
            return false;
        }
        choice = *chosen;
        choice.dpi = std::clamp(choice.dpi, kPdfMinDpi, kPdfMaxDpi);
    }
    std::expected<QImage, PictureError> img;
    try {
        img = doc->render(choice.page, choice.dpi);
    } catch (const std::bad_alloc &) {
        img = std::unexpected(PictureError::TooLarge);
    }
    if (!img) {
        m_r.port().message(img.error() == PictureError::TooLarge ? tooLargePictureText() : invalidPictureText());
        return false;
    }
    return showOpened(joinPictureSource(src.file, choice.page), *img, img->size());
}

bool Main_MDI_Form::showOpened(const QString &path, const QImage &image, QSize natural)
{
    if (!discardReading())
        return false;
    try {
        m_r.Init_App();
        m_readingFolder.clear();
        m_r.GraphPic_Path = path;
        QString label = path;
        const QString &folder = m_r.programFolder;
        if (!folder.isEmpty() && path.size() > folder.size() && path.startsWith(folder) &&
            (path[folder.size()] == u'/' || path[folder.size()] == u'\\'))
            label = path.mid(folder.size());
        m_r.setPicLabel(label, path);
        m_r.showPicture(image, natural, Split_Path(path, 1));
        m_r.Show_GridForm(1);
        m_r.setStatusText(openedStatusText());
        return true;
    } catch (const std::bad_alloc &) {
        m_r.port().message(errorNo0Text());
        m_r.Reset_Reading();
        return false;
    }
}

void Main_MDI_Form::ClipBoardPaste_Command_Click()
{
    QImage img = m_r.port().clipboardImage();
    if (img.isNull()) {
        m_r.port().message(noClipboardPictureText());
        return;
    }
    if (qint64(img.width()) * img.height() > kMaxPicturePixels) {
        m_r.port().message(clipboardFailedText());
        return;
    }
    // Converted before the questions: a picture that cannot be prepared
    // leaves the current reading alone.
    try {
        if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32_Premultiplied)
            img = img.hasAlphaChannel() ? img.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                        : img.convertToFormat(QImage::Format_RGB32);
    } catch (const std::bad_alloc &) {
        img = QImage();
    }
    if (img.isNull()) {
        m_r.port().message(clipboardFailedText());
        return;
    }
    if (!discardReading())
        return;
    try {
        m_r.Init_App();
        m_readingFolder.clear();
        // Shown (and so measured for the zoom view) like a picture file: its
        // pixels at their natural size.
        m_r.showPicture(img, clipboardCaption());
        m_r.setPicLabel(clipboardCaption(), clipboardCaption());
        m_r.Show_GridForm(1);
        m_r.setStatusText(openedStatusText());
    } catch (const std::bad_alloc &) {
        m_r.port().message(clipboardFailedText());
        m_r.unloadGraph();
    }
}

// --- Calibration panel -------------------------------------------------------

void Main_MDI_Form::Text_Inpt()
{
    // The panel itself keeps the diagonal mode's LU and RL derived.
    if (m_r.panel.allPositionsFilled()) {
        m_r.setDfntDone(true);
        Hilight_DfntBox(m_r.panel, CalibPanel::LLX_Text, CalibPanel::LLY_Text, false);
    }
}

void Main_MDI_Form::TabStrip1_Click()
{
    CalibPanel &p = m_r.panel;
    GraphModel &g = m_r.graph;
    if (p.isDiagonal()) {
        Q_EMIT modeChanged(true);
        if (g.loaded()) {
            m_r.Draw_Frame();
            g.setDfntVisible(LU, false);
            g.setDfntVisible(RL, false);
        }
        return;
    }
    Q_EMIT modeChanged(false);
    if (!g.loaded())
        return;
    for (Corner c : {LU, RL}) {
        Marker m = g.dfnt(c);
        const QString &xs = p.pos(CalibPanel::xBox(c));
        const QString &ys = p.pos(CalibPanel::yBox(c));
        if (!ys.isEmpty())
            if (auto y = readStrict(ys))
                m.top = float(*y) + g.markerHeight / 2;
        if (!xs.isEmpty())
            if (auto x = readStrict(xs))
                m.left = float(*x) - g.markerWidth / 2;
        if (!xs.isEmpty() && !ys.isEmpty())
            m.visible = true;
        g.setDfnt(c, m);
    }
}

void Main_MDI_Form::selectModeTab(int tab)
{
    History::Step step(m_r.history(), History::FrameMode);
    m_r.panel.selectTab(tab);
}

void Main_MDI_Form::X_Lnr_Option_Click()
{
    History::Step step(m_r.history(), History::AxisKindChange);
    m_r.panel.setXLog(false);
}

void Main_MDI_Form::Y_Lnr_Option_Click()
{
    History::Step step(m_r.history(), History::AxisKindChange);
    m_r.panel.setYLog(false);
}

void Main_MDI_Form::X_Log_Option_Click()
{
    // The value the Log check puts in the box belongs to the same step.
    History::Step step(m_r.history(), History::AxisKindChange);
    m_r.panel.setXLog(true);
    logCheck(CalibPanel::LLX_VLText);
}

void Main_MDI_Form::Y_Log_Option_Click()
{
    History::Step step(m_r.history(), History::AxisKindChange);
    m_r.panel.setYLog(true);
    logCheck(CalibPanel::LLY_VLText);
}

void Main_MDI_Form::X_Date_Option_Click()
{
    // The value boxes rewritten as dates belong to the same step.
    History::Step step(m_r.history(), History::AxisKindChange);
    m_r.panel.setXKind(AxisKind::Date);
}

void Main_MDI_Form::Y_Date_Option_Click()
{
    History::Step step(m_r.history(), History::AxisKindChange);
    m_r.panel.setYKind(AxisKind::Date);
}

QString Main_MDI_Form::dateOptionText() { return QCoreApplication::translate("Main", "日時"); }

void Main_MDI_Form::valueBoxDone(CalibPanel::ValBox box)
{
    if (!m_r.isDateAxis(CalibPanel::isXBox(box)))
        return;
    const QString text = m_r.panel.val(box);
    // A bare number would be a serial day nobody means to type ("2020" is
    // 1905-07-12): only the date and time forms are taken.
    const auto d = parseDateText(text);
    if (!d) {
        m_r.port().message(dateErrorText(d.error(), text));
        return;
    }
    m_r.panel.setVal(box, exactDateText(d->serial, d->timeOnly));
}

void Main_MDI_Form::logCheck(CalibPanel::ValBox box)
{
    const bool log = box == CalibPanel::LLX_VLText ? m_r.panel.xLog() : m_r.panel.yLog();
    if (!log)
        return;
    // A lower-left value that is not a number cannot be a logarithm's either.
    const auto v = readStrict(m_r.panel.val(box));
    if (v && *v > 0)
        return;
    m_r.port().message(logAxisText());
    m_r.panel.setVal(box, QStringLiteral("0.01"));
}

// --- Readout settings --------------------------------------------------------

void Main_MDI_Form::Keiretsu_Combo_Click()
{
    if (!m_r.graph.loaded() || !m_r.Init_Done)
        return;
    const int n = m_r.settings.seriesNumber();
    if (!Reading::validSeries(n))
        return;
    if (!m_r.Is_FormOpen(QStringLiteral("系列%1").arg(n))) {
        m_r.Show_GridForm(n);
        m_r.Grid_Opened[size_t(n)] = -1;
    }
}

void Main_MDI_Form::Zoom_Combo_Click() { zoom.Size_ZoomImage(); }

} // namespace orv
