// The language: how it is chosen, that the English catalogue is complete, and
// that the files the program writes do not change with it.
#include "model/language.h"
#include "model/reading.h"
#include "model/utilities.h"
#include "processing/data_disposal_form.h"
#include "statefile/state_file.h"
#include "tests/support/reading_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace orv;

namespace {
std::string s(const QString &q) { return q.toStdString(); }

// Leaves the process in Japanese whatever a test switched to.
struct BackToJapanese {
    ~BackToJapanese() { installLanguage(Language::Japanese, QStringLiteral(ORV_BUILD_DIR)); }
};
} // namespace

TEST(LanguageChoice, EnvironmentThenRememberedChoiceThenDesktop)
{
    const QStringList jaDesk{QStringLiteral("ja-JP"), QStringLiteral("en-US")};
    const QStringList enDesk{QStringLiteral("en-GB"), QStringLiteral("ja-JP")};
    // The desktop's first language decides when nothing else does.
    EXPECT_EQ(chooseLanguage({}, {}, jaDesk), Language::Japanese);
    EXPECT_EQ(chooseLanguage({}, {}, enDesk), Language::English);
    EXPECT_EQ(chooseLanguage({}, {}, {QStringLiteral("de-DE")}), Language::English);
    EXPECT_EQ(chooseLanguage({}, {}, {QStringLiteral("ja")}), Language::Japanese);
    EXPECT_EQ(chooseLanguage({}, {}, {}), Language::Japanese);
    // A remembered choice wins over the desktop...
    EXPECT_EQ(chooseLanguage({}, QStringLiteral("en"), jaDesk), Language::English);
    EXPECT_EQ(chooseLanguage({}, QStringLiteral("ja"), enDesk), Language::Japanese);
    // ... and ORV_LANG over both.
    EXPECT_EQ(chooseLanguage(QStringLiteral("ja"), QStringLiteral("en"), enDesk), Language::Japanese);
    EXPECT_EQ(chooseLanguage(QStringLiteral("EN"), QStringLiteral("ja"), jaDesk), Language::English);
    // Unknown values are ignored, not taken as English.
    EXPECT_EQ(chooseLanguage(QStringLiteral("fr"), QStringLiteral("xx"), jaDesk), Language::Japanese);
}

TEST(LanguageChoice, RememberedChoiceIsKeptAndCanBeCleared)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    EXPECT_TRUE(savedLanguage(settings).isEmpty());
    saveLanguage(settings, QStringLiteral("en"));
    EXPECT_EQ(s(savedLanguage(settings)), "en");
    saveLanguage(settings, QString()); // "follow the desktop"
    EXPECT_FALSE(settings.contains(QLatin1String(kLanguageKey)));
}

TEST(LanguageChoice, InstallsTheCatalogueAndTheHelpFollows)
{
    BackToJapanese restore;
    ScriptedDesktop desk;
    Reading r(&desk);
    r.programFolder = QStringLiteral("/opt/orv");
    ASSERT_TRUE(installLanguage(Language::English, QStringLiteral(ORV_BUILD_DIR)));
    EXPECT_EQ(currentLanguage(), Language::English);
    EXPECT_EQ(s(DataDisposalForm::captionText()), "Processing");
    EXPECT_EQ(s(helpDocumentPath(r)), "/opt/orv/Help/Help_en.pdf");
    ASSERT_TRUE(installLanguage(Language::Japanese, QStringLiteral(ORV_BUILD_DIR)));
    EXPECT_EQ(s(DataDisposalForm::captionText()), "データ処理");
    EXPECT_EQ(s(helpDocumentPath(r)), "/opt/orv/Help/Help.pdf");
    // A missing catalogue leaves the program in Japanese and says so.
    EXPECT_FALSE(installLanguage(Language::English, QStringLiteral("/no/such/folder")));
    EXPECT_EQ(currentLanguage(), Language::Japanese);
    EXPECT_EQ(s(DataDisposalForm::captionText()), "データ処理");
}

// The catalogue brought up to date with the code (on a scratch copy, by the
// same script a developer runs) has an English text for every entry, and each
// keeps the placeholders, the line breaks, the file filter parts and the
// menu mnemonic of its Japanese text.
TEST(Catalogue, EveryTextHasAFinishedTranslation)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("orvalinetrix_en.ts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ORV_SOURCE_DIR "/i18n/orvalinetrix_en.ts"), copy));
    QProcess p;
    p.start(QStringLiteral("bash"), {QStringLiteral(ORV_SOURCE_DIR "/scripts/update-translations"), copy});
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    QFile f(copy);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QString context, source, translation, type;
    QStringList problems;
    int messages = 0;
    const QRegularExpression arg(QStringLiteral("%\\d"));
    auto placeholders = [&](const QString &t) {
        QStringList l;
        for (auto it = arg.globalMatch(t); it.hasNext();)
            l << it.next().captured();
        l.sort();
        return l;
    };
    // Text of an element, with <byte value="xd"/> (a "\r") read back.
    auto readText = [&xml] {
        QString t;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isCharacters())
                t += xml.text();
            else if (xml.isStartElement() && xml.name() == u"byte")
                t += QChar(xml.attributes().value(QLatin1String("value")).mid(1).toInt(nullptr, 16));
            else if (xml.isEndElement() && xml.name() != u"byte")
                break;
        }
        return t;
    };
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = readText();
        } else if (xml.name() == u"translation") {
            type = xml.attributes().value(QLatin1String("type")).toString();
            translation = readText();
            ++messages;
            const QString where = context + QStringLiteral(": ") + QString(source).replace(QChar(u'\r'), QStringLiteral("\\r"));
            if (type == u"unfinished" || translation.isEmpty())
                problems << QStringLiteral("unfinished or missing: ") + where;
            else if (placeholders(source) != placeholders(translation))
                problems << QStringLiteral("placeholders differ: ") + where;
            else if (source.count(u'\r') != translation.count(u'\r') || source.count(u'\n') != translation.count(u'\n'))
                problems << QStringLiteral("line breaks differ: ") + where;
            else if (source.count(u'|') != translation.count(u'|'))
                problems << QStringLiteral("file filter parts (|) differ: ") + where;
            else if (source.contains(u'&') != translation.contains(u'&'))
                problems << QStringLiteral("menu mnemonic (&) differs: ") + where;
        }
    }
    ASSERT_FALSE(xml.hasError()) << s(xml.errorString());
    EXPECT_GT(messages, 150);
    EXPECT_TRUE(problems.isEmpty()) << "Run scripts/update-translations and translate:\n"
                                    << s(problems.join(u'\n'));
}

// The same reading saved in Japanese and in English: the reading file and the
// CSV file are the same bytes (labels, mode names, the series name line).
TEST(FilesInEveryLanguage, ReadingAndCsvAreTheSameBytes)
{
    BackToJapanese restore;
    QTemporaryDir dir;
    ScriptedDesktop desk;
    Reading r(&desk);
    r.Init_App();
    orv::testing::setDiagonalFrame(r);
    for (int i = 1; i <= 3; ++i)
        orv::testing::addPoint(r, 2, 0.2f * float(i), 0.3f * float(i));

    auto write = [&](Language language, const QString &tag) {
        EXPECT_TRUE(installLanguage(language, QStringLiteral(ORV_BUILD_DIR)));
        const QByteArray state = stateFileBytes(r);
        DataDisposalForm d(r, nullptr);
        d.setSeriesItems({QStringLiteral("系列2")}, QStringLiteral("系列2"));
        d.TabStrip1_Click(DataDisposalForm::TabCsv);
        const QString csv = dir.filePath(tag + QStringLiteral(".csv"));
        desk.fileNames.push_back(csv);
        d.BrowsCommand_Click();
        EXPECT_EQ(d.OK_Command_Click(), DataDisposalForm::Outcome::Close);
        QFile f(csv);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return std::pair{state, f.readAll()};
    };
    const auto ja = write(Language::Japanese, QStringLiteral("ja"));
    const auto en = write(Language::English, QStringLiteral("en"));
    // The windows did speak English meanwhile: the saved message was English.
    ASSERT_GE(desk.messages.size(), 2u);
    EXPECT_EQ(s(desk.messages.back().text), "Saved.");
    // The files name the mode and the series in Japanese in both.
    QStringEncoder sjis("Shift_JIS");
    const QByteArray diagonal = sjis(QStringLiteral("対角定義"));
    const QByteArray series = sjis(QStringLiteral("系列2"));
    EXPECT_TRUE(en.first.contains(diagonal));
    EXPECT_TRUE(en.second.startsWith(series + "\r\n"));
    EXPECT_EQ(ja.first, en.first);
    EXPECT_FALSE(ja.second.isEmpty());
    EXPECT_EQ(ja.second, en.second);

    // The projective mode's name too.
    r.panel.selectTab(3);
    const QByteArray jaProjective = stateFileBytes(r);
    ASSERT_TRUE(installLanguage(Language::English, QStringLiteral(ORV_BUILD_DIR)));
    EXPECT_EQ(jaProjective, stateFileBytes(r));
}

int main(int argc, char **argv)
{
    // The translators need an application object.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
