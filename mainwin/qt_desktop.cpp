#include "mainwin/qt_desktop.h"
#include "mainwin/pdf_page_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <memory>

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

DesktopPort::Answer QtDesktop::askYesNoCancel(const QString &text, const QString &title)
{
    // Yes (save) is the default; Escape and the close box cancel.
    QMessageBox box(QMessageBox::Warning, title, displayText(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_owner);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
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

namespace {
constexpr char kLastFolderKey[] = "dialogs/lastFolder";

std::unique_ptr<QSettings> openSettings(const QString &file)
{
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, appTitle(), appTitle());
}

QString documentsFolder()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !docs.isEmpty() && QFileInfo(docs).isDir() ? docs : QDir::homePath();
}
} // namespace

QString QtDesktop::startFolder() const
{
    const QString last = openSettings(m_settingsFile)->value(QLatin1String(kLastFolderKey)).toString();
    if (last.isEmpty() || !QFileInfo(last).isDir())
        return documentsFolder();
    const QString program = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!program.isEmpty() && QDir(last) == QDir(program))
        return documentsFolder();
    return last;
}

bool QtDesktop::flag(const QString &key, bool fallback) const
{
    return openSettings(m_settingsFile)->value(key, fallback).toBool();
}

void QtDesktop::setFlag(const QString &key, bool on) { openSettings(m_settingsFile)->setValue(key, on); }

void QtDesktop::rememberFolder(const QString &chosenFile)
{
    if (chosenFile.isEmpty())
        return;
    openSettings(m_settingsFile)->setValue(QLatin1String(kLastFolderKey), QFileInfo(chosenFile).absolutePath());
}

QString QtDesktop::runFileDialog(const QString &title, const QString &filter, bool save, const QString &folder)
{
    const QString start = !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : startFolder();
    QFileDialog dialog(m_owner, title, start, qtFilter(filter));
    if (save) {
        // A name typed without an extension gets the filter's, so the file can
        // be opened again by the dialogs and drops that go by extension; the
        // dialog asks before overwriting the completed name.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix(filter));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString path = dialog.selectedFiles().value(0);
    rememberFolder(path);
    return path;
}

QString QtDesktop::openFileName(const QString &title, const QString &filter)
{
    return runFileDialog(title, filter, false);
}

QString QtDesktop::openFileNameIn(const QString &folder, const QString &title, const QString &filter)
{
    return runFileDialog(title, filter, false, folder);
}

QString QtDesktop::saveFileName(const QString &title, const QString &filter)
{
    return runFileDialog(title, filter, true);
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

std::optional<PdfPageChoice> QtDesktop::choosePdfPage(const PdfDocument &doc, const QString &file,
                                                      PdfPageChoice initial)
{
    PdfPageDialog dialog(doc, file, initial, m_owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

void QtDesktop::beep() { QApplication::beep(); }

void QtDesktop::setClipboardText(const QString &text) { QGuiApplication::clipboard()->setText(text); }

void QtDesktop::clearClipboard() { QGuiApplication::clipboard()->clear(); }

QImage QtDesktop::clipboardImage() { return QGuiApplication::clipboard()->image(); }

bool QtDesktop::openDocument(const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

} // namespace orv
