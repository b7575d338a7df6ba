#pragma once
// The desktop port implemented with Qt's dialogs, clipboard and services.

#include "model/desktop_port.h"

#include <QPointer>
#include <QWidget>

namespace orv {

class QtDesktop : public DesktopPort {
public:
    // Dialogs are owned by `owner` (the main window) when it is set.
    void setOwner(QWidget *owner) { m_owner = owner; }

    void message(const QString &text, const QString &title) override;
    bool askYesNo(const QString &text, const QString &title) override;
    Answer askYesNoCancel(const QString &text, const QString &title) override;
    QString openFileName(const QString &title, const QString &filter) override;
    QString openFileNameIn(const QString &folder, const QString &title, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &filter) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &initial) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<PdfPageChoice> choosePdfPage(const PdfDocument &doc, const QString &file,
                                               PdfPageChoice initial) override;
    void beep() override;
    void setClipboardText(const QString &text) override;
    void clearClipboard() override;
    QImage clipboardImage() override;
    bool openDocument(const QString &path) override;

    // "Name(*.a)|*.a|Other(*.b;*.c)|*.b;*.c" -> "Name(*.a);;Other(*.b *.c)"
    static QString qtFilter(const QString &filter);
    // A message text as a label shows it: carriage returns become line feeds.
    static QString displayText(const QString &text);

    // The folder the file dialogs open in: the one last used, kept in the
    // user's settings between runs; at first (or when it is gone, or is the
    // program's own folder) the documents folder.
    QString startFolder() const;
    // Notes the folder of a chosen file as the one last used.
    void rememberFolder(const QString &chosenFile);
    // Tests keep the remembered folder in a file of their own ("" = the
    // user's settings).
    void setSettingsFile(const QString &iniPath) { m_settingsFile = iniPath; }
    bool flag(const QString &key, bool fallback) const override;
    void setFlag(const QString &key, bool on) override;

private:
    QString runFileDialog(const QString &title, const QString &filter, bool save, const QString &folder = {});

    QPointer<QWidget> m_owner;
    QString m_settingsFile;
};

} // namespace orv
