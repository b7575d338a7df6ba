#pragma once
// The one reading of a program run and the operations every window calls:
// the point records, the state flags, the calibration panel and readout
// settings it reads, the graph window's marker state and the sixteen series
// tables. Windows are views of this state and call these operations.

#include "model/calib_panel.h"
#include "model/desktop_port.h"
#include "model/graph_model.h"
#include "model/history.h"
#include "model/numtext.h"
#include "model/readout_settings.h"
#include "model/series_table.h"

#include <QObject>
#include <QPointF>
#include <QString>
#include <array>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace orv {

class Reading : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxId = 255;      // records 1..255
    static constexpr int kMaxFreeId = 250;  // IDs handed out to clicks
    static constexpr int kSeriesCount = 16;
    static const QString kFreeRecord;       // "FALSE,0,0,0,0"

    explicit Reading(DesktopPort *port, QObject *parent = nullptr);
    ~Reading() override;

    DesktopPort &port() const { return *m_port; }
    void setPort(DesktopPort *port) { m_port = port; }

    CalibPanel panel;
    ReadoutSettings settings;
    GraphModel graph;
    SeriesTable &grid(int series) { return *m_grids[size_t(series)]; }
    const SeriesTable &grid(int series) const { return *m_grids[size_t(series)]; }
    static bool validSeries(int s) { return s >= 1 && s <= kSeriesCount; }

    // The undo history of this reading and its modified flag.
    History &history() { return *m_history; }
    const History &history() const { return *m_history; }
    // Runs the normal save (dialog, checks, messages); set by the application.
    // A save that succeeded marks the history clean.
    std::function<void()> saveHandler;
    static QString unsavedQuestion();
    // Before the reading is replaced or the program ends: when it is modified,
    // asks once whether to save (Yes saves and goes on only when the save
    // succeeded, No goes on, Cancel stops). When it is not modified and
    // `askTables`, the tables' closing questions are asked as before. True
    // to go on.
    bool confirmDiscardChanges(bool askTables = true);

    // The program's folder (where img/, Help/ and relative pictures live).
    QString programFolder;

    // --- State variables -------------------------------------------------
    QString GraphPic_Path;
    std::array<QString, 256> Pt_Array;
    std::array<int, 17> Grid_Opened{};  // 1..16; -1 opened from the series combo
    double Conv_X = 0, Conv_Y = 0;
    bool Dfnt_Done = false;
    bool Init_Done = false;
    bool Close_Confirmed = false;
    int Sel_DfntNo = -1;
    int Sel_PtNo = -1;
    int Drag_DfntNo = -1;
    int Drag_PtNo = -1;
    double Pic_Height = 0, Pic_Width = 0;
    int Cur_Keiretsu = 0;

    // Main window texts the reading sets.
    QString mainCaption() const { return m_mainCaption; }
    QString picLabel() const { return m_picLabel; }
    QString picLabelToolTip() const { return m_picLabelTip; }
    void setPicLabel(const QString &caption, const QString &toolTip);
    QString statusText() const { return m_status; }
    void setStatusText(const QString &text);
    // The status bar's guidance while a picture is shown: how to define the
    // frame (naming its three modes), and, once its corners are placed, how
    // to read points.
    static QString defineFrameText();
    static QString readPointsText();
    void setDfntDone(bool done);

    // --- Lifecycle -------------------------------------------------------
    static QString versionText(); // "x.y.z"
    void Init_App();
    // `askTables` false when the tables' closing questions were already answered.
    void Reset_Reading(bool askTables = true);
    void Init_PtArray();
    void Clear_AllPts();
    void Delete_Pt(int id);
    // Hides both selection rings and forgets the selected and dragged marker.
    void clearSelection();
    void Close_GridForms(bool ask = true);
    // Asks the closing question of every open, non-empty table (unless
    // Close_Confirmed); false as soon as one is answered No. Nothing changes.
    bool confirmDiscardTables();
    bool hasPoints() const;

    static QString Get_Field(const QString &text, const QString &sep, int n);

    // Window registry: names ("Graph_Form", "Grid_Form", ...) and captions.
    bool Is_FormOpen(const QString &key) const;
    int registerWindow(const QString &name, const QString &caption);
    void setWindowCaption(int handle, const QString &caption);
    void unregisterWindow(int handle);

    // --- Conversion and formats -----------------------------------------
    std::expected<void, ConvError> Conv_Pt(float px, float py);
    QString Format_Val(QStringView axis, double v) const;

    // --- Date axes (reading_dates.cpp) ----------------------------------
    bool isDateAxis(bool xAxis) const { return panel.kind(xAxis) == AxisKind::Date; }
    // A point's value as the frame converts its stored position; nullopt
    // for a free ID or a position the frame cannot convert.
    std::optional<double> pointValue(int id, bool xAxis) const;
    // A table cell's value for sorting, fitting and plotting. On a date axis
    // it is the point's own value (by the row's ID), never the shown text,
    // which is rounded to the pattern's unit; a row without a point reads its
    // text as a date or a number. On other axes the cell's number as before
    // (the numeric prefix). nullopt for a cell without a value.
    std::optional<double> cellValue(const SeriesTable &t, int row, int col) const;
    // The lower-left corner's value of a date axis: fits count days from it.
    // 0 on other axes.
    double dateOrigin(bool xAxis) const;

    // --- Points and tables -----------------------------------------------
    int Get_FreePtNo() const;
    void Put_PtImage(int series, float x, float y, int id);
    void Set_GridPt(int series, const QString &mode, int id);
    // Adds points to a series as that many clicks would, in the order given
    // (each takes the lowest free ID), at normalised positions. The batch is
    // one edit: whatever wraps it (undo) sees a single change. Stops at the
    // ID limit; points whose values cannot be converted are passed over.
    struct BatchResult {
        int added = 0;
        int leftOut = 0;     // no free ID left
        int unconverted = 0; // the frame cannot convert them
    };
    BatchResult addPoints(int series, const std::vector<QPointF> &positions);
    void Delete_Row(int series, int row);
    void Show_GridForm(int series);
    // Closing a table window: the question (unless Close_Confirmed or empty),
    // then the series' points are deleted. False when the user kept it open.
    bool closeGridForm(int series, bool ask = true);
    // Deletes every point of a series (markers and records), not its rows.
    void deleteSeriesPoints(int series);
    QString markerToolTip(int series, int id, const QString &xText, const QString &yText, const QString &z) const;

    // The red frame outline from the position boxes.
    void Draw_Frame();

    // Puts a decoded picture into the graph window (loading it) and announces it
    // so that the zoom view takes the same picture and measures Pic_Width and
    // Pic_Height. Used by picture loading and by reopening a reading.
    void showPicture(const QImage &picture, const QString &caption);
    // A reduced decode of a picture of `natural` pixels.
    void showPicture(const QImage &reduced, QSize natural, const QString &caption);
    // Unloads the graph window: the window's unload steps (Close_Confirmed
    // cleared, zoom image hidden), markers and rings dropped with it.
    void unloadGraph();
    // The graph window asks the zoom view to follow the pointer or a drag.
    void zoomFollow(float x, float y) { Q_EMIT zoomFollowRequested(x, y); }
    // Files dropped on any drop target (the graph window included).
    void dropFiles(const QStringList &paths) { Q_EMIT filesDropped(paths); }

    // Text of the "Notice!" closing question of a table.
    static QString tableCloseQuestion();

Q_SIGNALS:
    void mainCaptionChanged(const QString &caption);
    void picLabelChanged();
    void statusTextChanged(const QString &text);
    void dfntDoneChanged(bool done);
    // Init_App's hooks for the zoom view.
    void zoomImageHidden();
    void initZoomRequested();
    void pictureShown();
    void zoomFollowRequested(float x, float y);
    void filesDropped(const QStringList &paths);

private:
    QString formatDateValue(bool xAxis, double v, const QString &pattern) const;

    DesktopPort *m_port;
    std::array<std::unique_ptr<SeriesTable>, 17> m_grids;
    std::unique_ptr<History> m_history;
    QString m_mainCaption, m_picLabel, m_picLabelTip, m_status;
    struct WindowEntry {
        int handle;
        QString name;
        QString caption;
    };
    std::vector<WindowEntry> m_windows;
    int m_nextHandle = 1;
};

} // namespace orv
