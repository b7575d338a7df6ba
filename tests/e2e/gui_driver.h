#pragma once
// Helpers that drive the real windows on a real X display: clicks delivered
// through the top-level window (so a covered or hidden widget cannot be
// clicked), answers to modal dialogs while their event loop runs, and
// screenshots of what the X server shows.

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QWidget;

namespace orv::e2e {

// Folder for the screenshots (created on first use).
QString artifactDir();
// Saves the screen area of a top-level window (or the whole screen for null)
// as `name`.png in the artifact folder; returns the file's path ("" on failure).
QString screenshot(const QString &name, const QWidget *topLevel = nullptr);

// Where `w` is covered by another widget (or is not visible) at `pos`, the
// reason; "" when a click there reaches `w` (or one of its children).
QString hitProblem(QWidget *w, QPoint pos);
// A left click (or another button) at `pos` in `w`, sent to the window system
// layer of its top-level window. False (with a warning) when `w` is not the
// widget under that point.
bool clickAt(QWidget *w, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
bool click(QWidget *w); // at its centre
// A pointer move to `pos` in `w`, through the top-level window.
bool moveTo(QWidget *w, QPoint pos);

// Answers modal dialogs while they are open. Steps are matched in order
// against the active modal widget; a matched step acts on it (typing,
// clicking) from inside the dialog's own event loop. A modal that no step
// expects (or a step not matched within the time limit) is recorded as an
// error, photographed and closed, so a test never hangs on a dialog.
class ModalDriver : public QObject {
    Q_OBJECT
public:
    using Match = std::function<bool(QWidget *)>;
    using Act = std::function<void(QWidget *)>;

    explicit ModalDriver(QObject *parent = nullptr);

    void expect(const QString &what, Match match, Act act);
    // Every step was matched and nothing unexpected showed up.
    bool ok() const { return m_steps.empty() && m_errors.isEmpty(); }
    QString report() const;
    // Forgets pending steps and errors (after a failed check).
    void reset();
    // Errors found inside a step's action (checked later by the test).
    void fail(const QString &error) { m_errors << error; }

    // Common steps.
    // The Qt file dialog titled `title`: the path typed into its name box, then
    // its accept button clicked.
    void answerFileDialog(const QString &title, const QString &path);
    // A message box showing exactly `text`: its OK (or Yes) button clicked.
    void answerMessage(const QString &text, bool yes = true);

    int timeLimitMs = 15000;

private:
    void tick();
    static QString describe(QWidget *modal);

    struct Step {
        QString what;
        Match match;
        Act act;
    };
    std::deque<Step> m_steps;
    QStringList m_errors;
    QElapsedTimer m_waiting;
    int m_shots = 0;
};

} // namespace orv::e2e
