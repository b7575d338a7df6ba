#pragma once
// Behaviour of the splash window frmSplash: the version text, the start-up
// timer (1500 ms) that hands over to the main window, and the closing rule
// (refused while the timer runs). The widget is a view of this object.

#include <QObject>
#include <QString>
#include <QTimer>

namespace orv {

class frmSplash : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 1500;

    explicit frmSplash(QObject *parent = nullptr);

    // "Version " + major.minor.revision.
    QString lblVersion() const;
    static QString label1Text();
    static QString label2Text();

    // Main: starts the one-shot start-up timer.
    void startTimer();
    bool timerRunning() const { return m_timer.isActive(); }
    // A click or key asks the window to close; refused while the timer runs.
    bool requestClose();
    // Fires the timer at once (used when the start has nothing to wait for).
    void fireNow();

Q_SIGNALS:
    // The timer ticked: show the main window, then close the splash.
    void showMainWindow();
    void closeWindow();

private:
    void tick();
    QTimer m_timer;
};

} // namespace orv
