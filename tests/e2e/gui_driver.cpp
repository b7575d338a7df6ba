#include "gui_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace orv::e2e {

QString artifactDir()
{
    const QString dir = QStringLiteral(ORV_E2E_ARTIFACTS);
    QDir().mkpath(dir);
    return dir;
}

QString screenshot(const QString &name, const QWidget *topLevel)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    // What the X server shows, not what the widgets would paint.
    QApplication::processEvents();
    QPixmap shot;
    if (topLevel) {
        const QRect g = topLevel->frameGeometry();
        shot = screen->grabWindow(0, g.x(), g.y(), g.width(), g.height());
    } else {
        shot = screen->grabWindow(0);
    }
    const QString path = artifactDir() + u'/' + name + QStringLiteral(".png");
    return !shot.isNull() && shot.save(path, "PNG") ? path : QString();
}

QString hitProblem(QWidget *w, QPoint pos)
{
    if (!w)
        return QStringLiteral("no widget");
    const QString who = QStringLiteral("%1 '%2'").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
    if (!w->isVisible())
        return who + QStringLiteral(" is not visible");
    if (!w->rect().contains(pos))
        return who + QStringLiteral(" does not contain (%1, %2)").arg(pos.x()).arg(pos.y());
    QWidget *top = w->window();
    if (!top->windowHandle() || !top->windowHandle()->isExposed())
        return who + QStringLiteral(": its window is not exposed");
    const QPoint tp = w->mapTo(top, pos);
    QWidget *hit = top->childAt(tp);
    if (!hit)
        hit = top;
    if (hit != w && !w->isAncestorOf(hit))
        return who + QStringLiteral(" is covered by %1 '%2'")
                         .arg(QString::fromLatin1(hit->metaObject()->className()), hit->objectName());
    if (!(top->windowFlags() & Qt::Popup)) {
        QWidget *front = QApplication::topLevelAt(w->mapToGlobal(pos));
        if (front && front != top)
            return who + QStringLiteral(" is under the window %1 '%2'")
                             .arg(QString::fromLatin1(front->metaObject()->className()), front->objectName());
    }
    return {};
}

bool clickAt(QWidget *w, QPoint pos, Qt::MouseButton button)
{
    const QString problem = hitProblem(w, pos);
    if (!problem.isEmpty()) {
        qWarning("click refused: %s", qPrintable(problem));
        return false;
    }
    QWidget *top = w->window();
    QTest::mouseClick(top->windowHandle(), button, Qt::NoModifier, w->mapTo(top, pos));
    return true;
}

bool click(QWidget *w) { return w && clickAt(w, w->rect().center()); }

bool moveTo(QWidget *w, QPoint pos)
{
    const QString problem = hitProblem(w, pos);
    if (!problem.isEmpty()) {
        qWarning("move refused: %s", qPrintable(problem));
        return false;
    }
    QWidget *top = w->window();
    QTest::mouseMove(top->windowHandle(), w->mapTo(top, pos));
    return true;
}

// ---------------------------------------------------------------------------

ModalDriver::ModalDriver(QObject *parent) : QObject(parent)
{
    m_waiting.start();
    QTimer::singleShot(20, this, &ModalDriver::tick);
}

void ModalDriver::expect(const QString &what, Match match, Act act)
{
    if (m_steps.empty())
        m_waiting.restart();
    m_steps.push_back({what, std::move(match), std::move(act)});
}

QString ModalDriver::report() const
{
    QStringList lines = m_errors;
    for (const Step &s : m_steps)
        lines << QStringLiteral("never shown: ") + s.what;
    return lines.join(u'\n');
}

void ModalDriver::reset()
{
    m_steps.clear();
    m_errors.clear();
    m_waiting.restart();
}

QString ModalDriver::describe(QWidget *m)
{
    QString d = QStringLiteral("%1 '%2' titled '%3'")
                    .arg(QString::fromLatin1(m->metaObject()->className()), m->objectName(), m->windowTitle());
    if (auto *box = qobject_cast<QMessageBox *>(m))
        d += QStringLiteral(" saying '%1'").arg(box->text());
    return d;
}

void ModalDriver::tick()
{
    // The next look is scheduled first: a step's action may open another
    // modal dialog and run its event loop, where this must keep looking.
    QTimer::singleShot(20, this, &ModalDriver::tick);

    QWidget *m = QApplication::activeModalWidget();
    const bool shown = m && m->isVisible() && m->windowHandle() && m->windowHandle()->isExposed();
    if (!shown) {
        if (m_steps.empty())
            m_waiting.restart();
        else if (m_waiting.elapsed() > timeLimitMs) {
            m_errors << QStringLiteral("timed out waiting for ") + m_steps.front().what;
            screenshot(QStringLiteral("failure-modal-%1").arg(++m_shots));
            m_steps.clear();
        }
        return;
    }
    if (!m_steps.empty() && m_steps.front().match(m)) {
        Step s = std::move(m_steps.front());
        m_steps.pop_front();
        m_waiting.restart();
        s.act(m);
        return;
    }
    // A message box nobody expects, or any modal left over too long.
    const bool unexpectedBox = qobject_cast<QMessageBox *>(m) && m_waiting.elapsed() > 1000;
    const bool tooLong = m_waiting.elapsed() > (m_steps.empty() ? 3000 : timeLimitMs);
    if (!unexpectedBox && !tooLong)
        return;
    m_errors << (m_steps.empty() ? QStringLiteral("unexpected ") + describe(m)
                                 : QStringLiteral("expected %1 but saw %2").arg(m_steps.front().what, describe(m)));
    screenshot(QStringLiteral("failure-modal-%1").arg(++m_shots));
    m_steps.clear();
    m_waiting.restart();
    if (auto *d = qobject_cast<QDialog *>(m))
        d->reject();
    else
        m->close();
}

void ModalDriver::answerFileDialog(const QString &title, const QString &path)
{
    expect(
        QStringLiteral("file dialog '%1'").arg(title),
        [title](QWidget *m) { return qobject_cast<QFileDialog *>(m) && m->windowTitle() == title; },
        [this, path](QWidget *m) {
            auto *edit = m->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            auto *box = m->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
            QAbstractButton *accept = nullptr;
            if (box)
                for (QAbstractButton *b : box->buttons())
                    if (box->buttonRole(b) == QDialogButtonBox::AcceptRole)
                        accept = b;
            if (!edit || !accept) {
                fail(QStringLiteral("file dialog without a name box or accept button"));
                static_cast<QDialog *>(m)->reject();
                return;
            }
            // The user types the whole path over whatever the box holds.
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, path);
            // The name box completes folder names in a popup; it goes when the
            // typing is done.
            QApplication::processEvents();
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->hide();
            if (edit->text() != path)
                fail(QStringLiteral("file dialog name box shows '%1', typed '%2'").arg(edit->text(), path));
            if (!accept->isEnabled() || !click(accept)) {
                fail(QStringLiteral("file dialog accept button could not be clicked"));
                static_cast<QDialog *>(m)->reject();
            }
        });
}

void ModalDriver::answerMessage(const QString &text, bool yes)
{
    expect(
        QStringLiteral("message '%1'").arg(text),
        [text](QWidget *m) {
            auto *box = qobject_cast<QMessageBox *>(m);
            return box && box->text() == text;
        },
        [this, yes](QWidget *m) {
            auto *box = static_cast<QMessageBox *>(m);
            QAbstractButton *b = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
            if (!b)
                b = box->button(QMessageBox::Ok);
            if (!b || !click(b)) {
                fail(QStringLiteral("message box button could not be clicked"));
                box->reject();
            }
        });
}

} // namespace orv::e2e
