#pragma once
// Behaviour of the main window Main_MDI_Form: its texts, the menu and toolbar
// commands, the resize rules, picture loading (open-file command, drops,
// Open_Pic, clipboard paste), the calibration panel's rules (Text_Inpt, the
// mode switch, the Log check), the series combo and the zoom view. The widget
// MainWindow is a view of this object and of the reading.

#include "mainwin/zoom_view.h"
#include "model/calib_panel.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

namespace orv {

class Reading;

class Main_MDI_Form : public QObject {
    Q_OBJECT
public:
    // Design size of the window in twips: the resize rules start from it.
    static constexpr int kDesignWidthTwips = 16000;
    static constexpr int kDesignHeightTwips = 12000;
    static constexpr int kMinWidthTwips = 12000;
    static constexpr int kMinHeightTwips = 10000;

    enum class WindowState { Normal, Minimized, Maximized };

    // Sizes (twips) of the controls that follow the window.
    struct Layout {
        int heightTwips = kDesignHeightTwips; // window size after the minimum rule
        int widthTwips = kDesignWidthTwips;
        bool sizeRaised = false;               // the minimum rule changed the size
        int windwFrameHeight = 3225;           // Windw_Frame
        int zoomPictureHeight = 2595;          // Zoom_Picture
        int openFrameWidth = 15765;            // Open_GraphPic_Frame
        int picLabelWidth = 12735;             // Pic_Label
        int clipPasteLeft = 13740;             // ClipBoardPaste_Command
        bool operator==(const Layout &) const = default;
    };

    struct MenuItem {
        QString name;    // control name
        QString caption; // with its "&" mnemonic; "-" for a separator
        int level;       // 0: menu bar entry, 1: item of the last menu
    };
    struct ToolButton {
        QString key;     // "sepN" for separators
        QString toolTip; // empty for separators
    };

    explicit Main_MDI_Form(Reading &reading, QObject *parent = nullptr);

    Reading &reading() const { return m_r; }
    ZoomView zoom;

    // --- Texts -------------------------------------------------------------
    static std::vector<MenuItem> menuItems();
    static std::vector<ToolButton> toolButtons();
    static QString startStatusText();
    static QString openedStatusText();
    static QString openFileTitle();
    static QString openFileFilter();
    static QString stateFileTitle();
    static QString stateFileFilter();
    static QString invalidPictureText();
    static QString tooLargePictureText();
    static QString noClipboardPictureText();
    static QString clipboardFailedText();
    static QString errorNo0Text();
    // A file of a kind the program does not open (%1: its name).
    static QString unsupportedFileText();
    static QString logAxisText();
    static QString clipboardCaption() { return QStringLiteral("ClipBoard1"); }
    // Picture kinds the open command and drops accept (lower case).
    static bool isPictureExtension(const QString &ext);
    // The hint picture of the selected definition mode, beside the program.
    QString hintPicturePath() const;
    // The grid overlay's switch, remembered between runs under this key.
    static constexpr char kGridKey[] = "view/gridLines";
    void Grid_Mn_Click();
    // Tool tip of the projective mode's tab.
    static QString projectiveToolTip();

    // Features built elsewhere, connected by the application.
    std::function<void()> onSaveState;
    // Opens a reading file; true when it was opened.
    std::function<bool(const QString &)> onLoadState;
    // "自動読取(&A)..." and its toolbar button.
    std::function<void()> onAutoRead;
    // "自動校正(&C)..." and the calibration panel's button "自動校正".
    std::function<void()> onAutoCalibrate;

    // --- Lifecycle -------------------------------------------------------
    // The window's load: Init_App, then the start-up status text.
    void MDIForm_Load();
    // The close box: child windows close without their questions.
    void QueryUnload();
    Layout MDIForm_Resize(WindowState state, int heightTwips, int widthTwips);
    const Layout &layout() const { return m_layout; }

    // --- Commands ----------------------------------------------------------
    // Runs a menu entry by control name or a toolbar button by key; unknown
    // names do nothing. Returns whether the name was known.
    bool runCommand(const QString &name);
    void Toolbar1_ButtonClick(const QString &key) { runCommand(key); }
    void Saved_File_Open_Mn_Click();
    void BrowsCommand_Click();
    void ClipBoardPaste_Command_Click();
    void Save_File_Mn_Click();
    void Quit_App_Click();
    void Undo_Mn_Click();
    void Redo_Mn_Click();
    // Captions of the two history commands, naming the step they would take
    // back or repeat ("元に戻す - 点の追加(&U)"); the bare ones when there is none.
    QString undoCaption() const;
    QString redoCaption() const;
    void Copy_Data_Mn_Click();
    void Cscd_Mn_Click();
    void Version_Mn_Click();
    void Help_Mn_Click();
    // Double-click on the empty client area: the same open dialog.
    void MDIForm_DblClick();
    // Where the open dialogs start: the folder of the open reading, else of
    // the open picture; "" when neither is open (or the picture was pasted),
    // and the dialog starts in the folder last used.
    QString documentFolder() const;

    // --- Picture loading ---------------------------------------------------
    // Loads a picture file; false when nothing was loaded.
    bool Open_Pic(const QString &path);
    // Opens a file by its extension (pictures, reading files); any other kind
    // is refused with a message.
    void Drop_Files(const QString &path);
    // A drop on any target: the first file of the list; no files, nothing.
    void dropFiles(const QStringList &paths);

    // --- Calibration panel -------------------------------------------------
    void Text_Inpt();
    void TabStrip1_Click();
    // The user picks a mode tab (1 diagonal, 2 four corners): one undoable step.
    void selectModeTab(int tab);
    void X_Lnr_Option_Click();
    void X_Log_Option_Click();
    void Y_Lnr_Option_Click();
    void Y_Log_Option_Click();
    // The third kind: the axis holds dates and times (never with Log).
    void X_Date_Option_Click();
    void Y_Date_Option_Click();
    // A value box left after typing: on a date axis the text must be a date
    // or a time (a clear message otherwise), and the box shows back the date
    // it reads as ("2020/3/1" -> "2020-03-01").
    void valueBoxDone(CalibPanel::ValBox box);
    static QString dateOptionText(); // "日時"

    // --- Readout settings --------------------------------------------------
    void Keiretsu_Combo_Click();
    void Zoom_Combo_Click();

Q_SIGNALS:
    void layoutChanged();
    // The mode tab switched: the view shows or hides LU_Frame/RL_Frame and
    // loads the hint picture.
    void modeChanged(bool diagonal);
    void quitRequested();
    void versionRequested();
    // Activate the graph window, then tile the child windows side by side.
    void arrangeRequested();

Q_SIGNALS:
    // The worker thread finished decoding an opened photo in full (or failed to).
    void wholePictureDecoded();

private:
    // Open_Pic for a PDF: the page chooser for several pages, then the page
    // rendered, all before the current reading is discarded.
    bool openPdf(const QString &path);
    // Shows a decoded picture as the new reading (the questions asked first).
    bool showOpened(const QString &storedPath, const QImage &image, QSize natural);
    // Asks the tables' closing questions before anything is discarded, then
    // resets without asking again. False when the user kept the tables.
    bool discardReading();
    void openDialogAndDispatch();
    void logCheck(CalibPanel::ValBox box);

    void loadReading(const QString &path);

    Reading &m_r;
    Layout m_layout;
    QString m_readingFolder; // of the reading file opened last, while it is shown
};

} // namespace orv
