#include "mainwin/splash.h"
#include <QCoreApplication>

#include "model/reading.h"

namespace orv {

frmSplash::frmSplash(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer); // a coarse timer may fire 75 ms early
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &frmSplash::tick);
}

QString frmSplash::lblVersion() const { return QStringLiteral("Version ") + Reading::versionText(); }

QString frmSplash::label1Text() { return QCoreApplication::translate("Splash", "グラフ画像から数値を読み取るツール"); }

QString frmSplash::label2Text() { return QCoreApplication::translate("Splash", "本ソフトウェアは無保証です。自己責任でご利用下さい。"); }

void frmSplash::startTimer() { m_timer.start(); }

bool frmSplash::requestClose()
{
    if (m_timer.isActive())
        return false;
    Q_EMIT closeWindow();
    return true;
}

void frmSplash::fireNow()
{
    if (m_timer.isActive())
        tick();
}

void frmSplash::tick()
{
    m_timer.stop();
    Q_EMIT showMainWindow();
    Q_EMIT closeWindow();
}

} // namespace orv
