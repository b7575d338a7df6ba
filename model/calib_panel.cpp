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
    Q_EMIT tabClicked(m_tab);
}

void CalibPanel::setPos(PosBox b, const QString &text)
{
    if (m_pos[b] == text)
        return;
    m_pos[b] = text;
    Q_EMIT posChanged(b);
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
