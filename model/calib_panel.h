#pragma once
// State of the main window's calibration panel: the single store of the frame
// definition (mode tab, eight corner position boxes, four corner value boxes,
// linear/log per axis) and the highlight of the position boxes. In the diagonal
// mode the LU and RL boxes always hold the corners derived from LL and RU
// (LU = (LLX, RUY), RL = (RUX, LLY)), whoever sets a box: the window, a loaded
// file or a headless export all convert with the same frame. The panel widget
// is a view of this object; the conversion reads it afresh at every call.

#include "model/numtext.h"

#include <QObject>
#include <QString>
#include <array>
#include <expected>

namespace orv {

enum Corner { LL = 0, LU = 1, RU = 2, RL = 3 };

// How an axis maps its values: evenly, by their logarithm, or as dates and
// times (serial days, evenly).
enum class AxisKind { Linear, Log, Date };

class CalibPanel : public QObject {
    Q_OBJECT
public:
    // Position boxes in the order the state file writes them.
    enum PosBox { LLX_Text, LLY_Text, LUX_Text, LUY_Text, RUX_Text, RUY_Text, RLX_Text, RLY_Text, PosBoxCount };
    enum ValBox { LLX_VLText, LLY_VLText, RUX_VLText, RUY_VLText, ValBoxCount };

    static constexpr char16_t kDiagonal[] = u"対角定義";
    static constexpr char16_t kFourPoint[] = u"4点定義";
    static constexpr char16_t kProjective[] = u"射影定義";

    explicit CalibPanel(QObject *parent = nullptr);

    // TabStrip1: tab 1 "対角定義", tab 2 "4点定義", tab 3 "射影定義" (four
    // corners like tab 2, converted through the projective map).
    int selectedTab() const { return m_tab; }
    QString tabCaption() const;
    bool isDiagonal() const { return m_tab == 1; }
    bool isProjective() const { return m_tab == 3; }
    // The tab of a mode's caption (as the state file writes it); 0 for none.
    static int tabOfCaption(QStringView caption);
    // Selects a tab; emits tabClicked even when the tab was already selected,
    // as selecting a tab raises its click handler. Selecting the diagonal mode
    // derives LU and RL first.
    void selectTab(int tab);

    const QString &pos(PosBox b) const { return m_pos[b]; }
    // In the diagonal mode a text given to LU or RL is replaced by the derived one.
    void setPos(PosBox b, const QString &text);
    static PosBox xBox(Corner c) { return PosBox(2 * int(c)); }
    static PosBox yBox(Corner c) { return PosBox(xBox(c) + 1); }

    const QString &val(ValBox b) const { return m_val[b]; }
    void setVal(ValBox b, const QString &text);

    AxisKind xKind() const { return m_xKind; }
    AxisKind yKind() const { return m_yKind; }
    AxisKind kind(bool xAxis) const { return xAxis ? m_xKind : m_yKind; }
    void setXKind(AxisKind k);
    void setYKind(AxisKind k);
    bool xLog() const { return m_xKind == AxisKind::Log; }
    bool yLog() const { return m_yKind == AxisKind::Log; }
    bool xDate() const { return m_xKind == AxisKind::Date; }
    bool yDate() const { return m_yKind == AxisKind::Date; }
    // Log on, or back to linear (a date axis too).
    void setXLog(bool log) { setXKind(log ? AxisKind::Log : AxisKind::Linear); }
    void setYLog(bool log) { setYKind(log ? AxisKind::Log : AxisKind::Linear); }
    // A value box read as its axis reads it: a number, or on a date axis a
    // date text or a number of serial days.
    std::expected<double, ConvError> value(ValBox b) const;
    static bool isXBox(ValBox b) { return b == LLX_VLText || b == RUX_VLText; }
    // On a date axis: the boxes' values as the date texts that read back to
    // the same serial days (times of day when both lie within day 0). Used
    // after values were set as numbers (a loaded file). Switching an axis to
    // or from dates rewrites its boxes the same way (or as serial numbers).
    void showDateValues(bool xAxis);
    // Both value boxes of the axis hold times of day alone.
    bool timesOnly(bool xAxis) const;

    bool highlighted(PosBox b) const { return m_hilight[b]; }
    void setHighlighted(PosBox b, bool on);

    bool allPositionsFilled() const;

Q_SIGNALS:
    void posChanged(orv::CalibPanel::PosBox box);
    void valChanged(orv::CalibPanel::ValBox box);
    void tabClicked(int tab);
    void axisModeChanged();
    void highlightChanged(orv::CalibPanel::PosBox box);

private:
    // Copies LL/RU into LU/RL in the diagonal mode; the boxes that changed
    // (PosBoxCount for none), signals left to the caller.
    std::array<PosBox, 4> deriveCorners();
    void rewriteValues(bool xAxis, AxisKind before);

    int m_tab = 1;
    std::array<QString, PosBoxCount> m_pos;
    std::array<QString, ValBoxCount> m_val{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1")};
    std::array<bool, PosBoxCount> m_hilight{};
    AxisKind m_xKind = AxisKind::Linear;
    AxisKind m_yKind = AxisKind::Linear;
};

} // namespace orv
