#include "mainwin/qt_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace orv {

namespace {
QString appTitle() { return QStringLiteral("Orvalinetrix"); }
} // namespace

// The program's messages break lines with a carriage return (CR LF or CR);
// Qt's labels break on line feeds.
QString QtDesktop::displayText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

void QtDesktop::message(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? appTitle() : title, displayText(text), QMessageBox::Ok,
                    m_owner);
    box.exec();
}

bool QtDesktop::askYesNo(const QString &text, const QString &title)
{
    // Every question asks whether to discard something: Enter (the default
    // button) and Escape both keep it.
    QMessageBox box(QMessageBox::NoIcon, title, displayText(text), QMessageBox::Yes | QMessageBox::No, m_owner);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtDesktop::qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        QString name = parts[i];
        const qsizetype paren = name.indexOf(u'(');
        if (paren >= 0)
            name = name.left(paren);
        out << QStringLiteral("%1(%2)").arg(name, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

QString QtDesktop::openFileName(const QString &title, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(m_owner, title, folder, qtFilter(filter));
}

QString QtDesktop::saveFileName(const QString &title, const QString &filter, const QString &folder)
{
    // The name is used as typed: no extension is added, and an existing file is
    // overwritten only after the dialog's own question.
    return QFileDialog::getSaveFileName(m_owner, title, folder, qtFilter(filter));
}

std::optional<QString> QtDesktop::inputBox(const QString &prompt, const QString &title, const QString &initial)
{
    bool ok = false;
    QString t = QInputDialog::getText(m_owner, title.isEmpty() ? appTitle() : title, prompt, QLineEdit::Normal,
                                      initial, &ok);
    if (!ok)
        return std::nullopt;
    return t;
}

std::optional<QColor> QtDesktop::chooseColor(const QColor &initial)
{
    QColor c = QColorDialog::getColor(initial, m_owner);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

void QtDesktop::beep() { QApplication::beep(); }

void QtDesktop::setClipboardText(const QString &text) { QGuiApplication::clipboard()->setText(text); }

void QtDesktop::clearClipboard() { QGuiApplication::clipboard()->clear(); }

QImage QtDesktop::clipboardImage() { return QGuiApplication::clipboard()->image(); }

bool QtDesktop::openDocument(const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

} // namespace orv
