#include "model/calib_panel.h"

#include "model/datetext.h"

namespace orv {

CalibPanel::CalibPanel(QObject *parent) : QObject(parent) {}

QString CalibPanel::tabCaption() const
{
    return QString::fromUtf16(m_tab == 1 ? kDiagonal : m_tab == 3 ? kProjective : kFourPoint);
}

int CalibPanel::tabOfCaption(QStringView caption)
{
    if (caption == QStringView(kDiagonal))
        return 1;
    if (caption == QStringView(kFourPoint))
        return 2;
    if (caption == QStringView(kProjective))
        return 3;
    return 0;
}

void CalibPanel::selectTab(int tab)
{
    m_tab = (tab == 2 || tab == 3) ? tab : 1;
    const auto derived = deriveCorners();
    for (PosBox b : derived)
        if (b != PosBoxCount)
            Q_EMIT posChanged(b);
    Q_EMIT tabClicked(m_tab);
}

std::array<CalibPanel::PosBox, 4> CalibPanel::deriveCorners()
{
    std::array<PosBox, 4> changed{PosBoxCount, PosBoxCount, PosBoxCount, PosBoxCount};
    if (!isDiagonal())
        return changed;
    const std::pair<PosBox, PosBox> rules[4] = {
        {LUX_Text, LLX_Text}, {LUY_Text, RUY_Text}, {RLX_Text, RUX_Text}, {RLY_Text, LLY_Text}};
    for (int i = 0; i < 4; ++i) {
        auto [to, from] = rules[i];
        if (m_pos[to] != m_pos[from]) {
            m_pos[to] = m_pos[from];
            changed[size_t(i)] = to;
        }
    }
    return changed;
}

void CalibPanel::setPos(PosBox b, const QString &text)
{
    const QString before = m_pos[b];
    m_pos[b] = text;
    // Every box is in its final state before anyone hears of a change.
    const auto derived = deriveCorners();
    if (m_pos[b] != before)
        Q_EMIT posChanged(b);
    for (PosBox d : derived)
        if (d != PosBoxCount && d != b)
            Q_EMIT posChanged(d);
}

void CalibPanel::setVal(ValBox b, const QString &text)
{
    if (m_val[b] == text)
        return;
    m_val[b] = text;
    Q_EMIT valChanged(b);
}

void CalibPanel::setXKind(AxisKind k)
{
    if (m_xKind == k)
        return;
    const AxisKind before = m_xKind;
    m_xKind = k;
    rewriteValues(true, before);
    Q_EMIT axisModeChanged();
}

void CalibPanel::setYKind(AxisKind k)
{
    if (m_yKind == k)
        return;
    const AxisKind before = m_yKind;
    m_yKind = k;
    rewriteValues(false, before);
    Q_EMIT axisModeChanged();
}

void CalibPanel::rewriteValues(bool xAxis, AxisKind before)
{
    const AxisKind now = kind(xAxis);
    if (before != AxisKind::Date && now != AxisKind::Date)
        return;
    const ValBox lo = xAxis ? LLX_VLText : LLY_VLText, hi = xAxis ? RUX_VLText : RUY_VLText;
    if (now == AxisKind::Date) {
        showDateValues(xAxis);
        return;
    }
    // Leaving a date axis: the boxes keep their serial days as numbers.
    for (ValBox b : {lo, hi})
        if (auto d = readDateValue(m_val[b]))
            setVal(b, shortestNumText(*d));
}

void CalibPanel::showDateValues(bool xAxis)
{
    if (kind(xAxis) != AxisKind::Date)
        return;
    const ValBox lo = xAxis ? LLX_VLText : LLY_VLText, hi = xAxis ? RUX_VLText : RUY_VLText;
    const auto a = readDateValue(m_val[lo]), b = readDateValue(m_val[hi]);
    // Two values within day 0 are times of day.
    const bool times = (a && *a >= 0 && *a <= 1) && (b && *b >= 0 && *b <= 1);
    if (a)
        setVal(lo, exactDateText(*a, times));
    if (b)
        setVal(hi, exactDateText(*b, times));
}

bool CalibPanel::timesOnly(bool xAxis) const
{
    return isTimeOnlyText(m_val[xAxis ? LLX_VLText : LLY_VLText]) &&
           isTimeOnlyText(m_val[xAxis ? RUX_VLText : RUY_VLText]);
}

std::expected<double, ConvError> CalibPanel::value(ValBox b) const
{
    return kind(isXBox(b)) == AxisKind::Date ? readDateValue(m_val[b]) : readStrict(m_val[b]);
}

void CalibPanel::setHighlighted(PosBox b, bool on)
{
    if (m_hilight[b] == on)
        return;
    m_hilight[b] = on;
    Q_EMIT highlightChanged(b);
}

bool CalibPanel::allPositionsFilled() const
{
    for (const QString &s : m_pos)
        if (s.isEmpty())
            return false;
    return true;
}

} // namespace orv
