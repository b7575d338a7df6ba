#pragma once
// Everything that asks the user or touches the desktop goes through this port:
// the application implements it with Qt widgets, tests and headless jobs with
// ScriptedDesktop.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace orv {

class DesktopPort {
public:
    virtual ~DesktopPort() = default;

    // Modal message with an OK button.
    virtual void message(const QString &text, const QString &title = QString()) = 0;
    // Modal Yes/No question; true for Yes.
    virtual bool askYesNo(const QString &text, const QString &title) = 0;
    // File dialog; "" when cancelled. `filter` uses the "Name(*.ext)|*.ext|..." form.
    virtual QString openFileName(const QString &title, const QString &filter, const QString &folder) = 0;
    virtual QString saveFileName(const QString &title, const QString &filter, const QString &folder) = 0;
    // Input box; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &initial) = 0;
    // Colour chooser; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    virtual void beep() = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual void clearClipboard() = 0;
    // The clipboard's picture; a null image when it holds none.
    virtual QImage clipboardImage() = 0;
    // Opens a document with the desktop's default program; false when nothing could.
    virtual bool openDocument(const QString &path) = 0;
};

// A port that records what it was asked and answers from a script. Questions
// without a scripted answer get `defaultYes`; dialogs without a scripted path
// return "" (cancel).
class ScriptedDesktop : public DesktopPort {
public:
    struct Message {
        QString text;
        QString title;
    };
    std::vector<Message> messages;
    std::vector<Message> questions;
    std::deque<bool> answers;
    bool defaultYes = true;
    std::deque<QString> fileNames;
    std::vector<QString> dialogTitles;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QColor>> colors;
    int beeps = 0;
    QString clipboardText;
    QImage clipboardPicture;
    std::vector<QString> openedDocuments;
    bool openDocumentResult = true;

    void message(const QString &text, const QString &title) override { messages.push_back({text, title}); }
    bool askYesNo(const QString &text, const QString &title) override
    {
        questions.push_back({text, title});
        if (answers.empty())
            return defaultYes;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    QString openFileName(const QString &title, const QString &, const QString &) override { return nextFile(title); }
    QString saveFileName(const QString &title, const QString &, const QString &) override { return nextFile(title); }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &initial) override
    {
        if (inputs.empty())
            return initial;
        auto v = inputs.front();
        inputs.pop_front();
        return v;
    }
    std::optional<QColor> chooseColor(const QColor &) override
    {
        if (colors.empty())
            return std::nullopt;
        auto v = colors.front();
        colors.pop_front();
        return v;
    }
    void beep() override { ++beeps; }
    void setClipboardText(const QString &text) override { clipboardText = text; }
    void clearClipboard() override
    {
        clipboardText.clear();
        clipboardPicture = QImage();
    }
    QImage clipboardImage() override { return clipboardPicture; }
    bool openDocument(const QString &path) override
    {
        openedDocuments.push_back(path);
        return openDocumentResult;
    }

    int messageCount(const QString &text) const
    {
        int n = 0;
        for (const auto &m : messages)
            n += m.text == text;
        return n;
    }

private:
    QString nextFile(const QString &title)
    {
        dialogTitles.push_back(title);
        if (fileNames.empty())
            return QString();
        QString f = fileNames.front();
        fileNames.pop_front();
        return f;
    }
};

} // namespace orv
