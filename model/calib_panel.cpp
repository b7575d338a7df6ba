#include "model/calib_panel.h"

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

void CalibPanel::setXLog(bool log)
{
    if (m_xLog == log)
        return;
    m_xLog = log;
    Q_EMIT axisModeChanged();
}

void CalibPanel::setYLog(bool log)
{
    if (m_yLog == log)
        return;
    m_yLog = log;
    Q_EMIT axisModeChanged();
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
