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
    QString openFileName(const QString &title, const QString &filter, const QString &folder) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &folder) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &initial) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    void beep() override;
    void setClipboardText(const QString &text) override;
    void clearClipboard() override;
    QImage clipboardImage() override;
    bool openDocument(const QString &path) override;

    // "Name(*.a)|*.a|Other(*.b;*.c)|*.b;*.c" -> "Name(*.a);;Other(*.b *.c)"
    static QString qtFilter(const QString &filter);
    // A message text as a label shows it: carriage returns become line feeds.
    static QString displayText(const QString &text);

private:
    QPointer<QWidget> m_owner;
};

} // namespace orv
