#pragma once
// Everything that asks the user or touches the desktop goes through this port:
// the application implements it with Qt widgets, tests and headless jobs with
// ScriptedDesktop.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <deque>
#include <map>
#include <optional>

namespace orv {

class PdfDocument;

// The page of a PDF to open (0-based) and its rendering resolution.
struct PdfPageChoice {
    int page = 0;
    int dpi = 0;
    bool operator==(const PdfPageChoice &) const = default;
};

class DesktopPort {
public:
    virtual ~DesktopPort() = default;

    // Modal message with an OK button.
    virtual void message(const QString &text, const QString &title = QString()) = 0;
    // Modal Yes/No question; true for Yes.
    virtual bool askYesNo(const QString &text, const QString &title) = 0;
    enum class Answer { Yes, No, Cancel };
    // Modal Yes/No/Cancel question (closing the box is Cancel).
    virtual Answer askYesNoCancel(const QString &text, const QString &title) = 0;
    // File dialogs; "" when cancelled. `filter` uses the "Name(*.ext)|*.ext|..."
    // form. They open in the folder last used (remembered between runs), at
    // first the user's documents folder: never the program's folder, which an
    // installation cannot write to. A name typed into the save dialog without
    // an extension gets the filter's (defaultSuffix).
    virtual QString openFileName(const QString &title, const QString &filter) = 0;
    virtual QString saveFileName(const QString &title, const QString &filter) = 0;
    // The open dialog started in `folder` (the open document's) instead of
    // the one last used; an empty or vanished folder starts as openFileName.
    virtual QString openFileNameIn(const QString &folder, const QString &title, const QString &filter)
    {
        (void)folder;
        return openFileName(title, filter);
    }
    // Input box; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &initial) = 0;
    // Colour chooser; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    // The page chooser for a PDF of several pages, opened at `initial`;
    // nullopt when cancelled.
    virtual std::optional<PdfPageChoice> choosePdfPage(const PdfDocument &doc, const QString &file,
                                                       PdfPageChoice initial) = 0;
    virtual void beep() = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual void clearClipboard() = 0;
    // The clipboard's picture; a null image when it holds none.
    virtual QImage clipboardImage() = 0;
    // Opens a document with the desktop's default program; false when nothing could.
    virtual bool openDocument(const QString &path) = 0;
    // A yes/no preference remembered between runs (`fallback` when never set).
    virtual bool flag(const QString &, bool fallback) const { return fallback; }
    virtual void setFlag(const QString &, bool) {}

    // The extension of the filter's first pattern ("orvd" for
    // "Name(*.orvd)|*.orvd"); "" when it names none ("*.*", "*").
    static QString defaultSuffix(const QString &filter)
    {
        const QString first = filter.section(u'|', 1, 1).section(u';', 0, 0).trimmed();
        if (!first.startsWith(QStringLiteral("*.")) || first.size() < 3 || first.mid(2).contains(u'*'))
            return QString();
        return first.mid(2);
    }
    // `path` as the save dialog returns a typed name: with the default suffix
    // added when the file name has no extension.
    static QString withDefaultSuffix(const QString &path, const QString &filter)
    {
        const QString suffix = defaultSuffix(filter);
        const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
        const QString name = path.mid(cut + 1);
        if (suffix.isEmpty() || name.isEmpty() || name.contains(u'.'))
            return path;
        return path + u'.' + suffix;
    }
};

// A port that records what it was asked and answers from a script. Questions
// without a scripted answer get `defaultYes`; dialogs without a scripted path
// return "" (cancel); a scripted save name is taken as typed into the dialog
// (the default suffix added as the dialog adds it).
class ScriptedDesktop : public DesktopPort {
public:
    struct Message {
        QString text;
        QString title;
    };
    std::vector<Message> messages;
    std::map<QString, bool> flags; // the remembered preferences
    std::vector<Message> questions;
    std::deque<bool> answers;
    bool defaultYes = true;
    std::deque<QString> fileNames;
    std::vector<QString> dialogTitles;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QColor>> colors;
    // Answers of the page chooser (none scripted: cancel); what it was offered.
    std::deque<std::optional<PdfPageChoice>> pdfChoices;
    std::vector<PdfPageChoice> pdfOffers;
    int beeps = 0;
    QString clipboardText;
    QImage clipboardPicture;
    std::vector<QString> openedDocuments;
    bool openDocumentResult = true;

    void message(const QString &text, const QString &title) override { messages.push_back({text, title}); }
    bool flag(const QString &key, bool fallback) const override
    {
        const auto it = flags.find(key);
        return it == flags.end() ? fallback : it->second;
    }
    void setFlag(const QString &key, bool on) override { flags[key] = on; }
    bool askYesNo(const QString &text, const QString &title) override
    {
        questions.push_back({text, title});
        if (answers.empty())
            return defaultYes;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    // Answers to Yes/No/Cancel questions (recorded in `questions` too);
    // without one, `defaultAnswer`.
    std::deque<Answer> answers3;
    Answer defaultAnswer = Answer::No;
    Answer askYesNoCancel(const QString &text, const QString &title) override
    {
        questions.push_back({text, title});
        if (answers3.empty())
            return defaultAnswer;
        const Answer a = answers3.front();
        answers3.pop_front();
        return a;
    }
    QString openFileName(const QString &title, const QString &) override { return nextFile(title); }
    // The folder each open dialog was asked to start in ("" for the last used).
    std::vector<QString> dialogFolders;
    QString openFileNameIn(const QString &folder, const QString &title, const QString &filter) override
    {
        dialogFolders.push_back(folder);
        return openFileName(title, filter);
    }
    QString saveFileName(const QString &title, const QString &filter) override
    {
        const QString f = nextFile(title);
        return f.isEmpty() ? f : withDefaultSuffix(f, filter);
    }
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
    std::optional<PdfPageChoice> choosePdfPage(const PdfDocument &, const QString &, PdfPageChoice initial) override
    {
        pdfOffers.push_back(initial);
        if (pdfChoices.empty())
            return std::nullopt;
        auto v = pdfChoices.front();
        pdfChoices.pop_front();
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
