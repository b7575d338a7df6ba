// The subcommands speak the user's language on standard error, as the windows
// do, while what they print on standard output (JSON, CSV, equations) is the
// same bytes in Japanese and English.

#include "../autoread/chart_fixture.h"
#include "model/reading.h"
#include "model/utilities.h"
#include "statefile/state_file.h"

#include <QGuiApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orv;

namespace {

struct Outcome {
    int code = -1;
    QByteArray out, err;
};

Outcome runProgram(const QString &lang, const QStringList &args, const QByteArray &input, const QString &home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORV_LANG"), lang);
    // A settings folder of its own: no remembered choice gets in the way.
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORV_EXE), args);
    if (!p.waitForStarted(10000))
        return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

TEST(SubcommandLanguage, StandardOutputIsTheSameBytesAndMessagesFollowTheLanguage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A reading of a drawn chart whose red curve hides behind the others at a
    // few steps (messages about skipped steps), and one whose picture is gone.
    chart::Chart c = chart::standardChart();
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    ASSERT_TRUE(c.draw().save(png));
    ScriptedDesktop desk;
    Reading r(&desk);
    r.Init_App();
    r.GraphPic_Path = png;
    c.setFrame(r.panel);
    r.addPoints(1, {QPointF(0.3, 0.4), QPointF(0.6, 0.7)});
    const QString orvd = dir.filePath(QStringLiteral("chart.orvd"));
    ASSERT_TRUE(writeStateFile(orvd, stateFileBytes(r)));
    r.GraphPic_Path = dir.filePath(QStringLiteral("gone.png"));
    const QString gone = dir.filePath(QStringLiteral("gone.orvd"));
    ASSERT_TRUE(writeStateFile(gone, stateFileBytes(r)));

    struct Case {
        const char *what;
        QStringList args;
        QByteArray input;
        int code;
        bool output; // something on standard output
    };
    const QStringList extract{QStringLiteral("extract"), orvd, QStringLiteral("--color"), QStringLiteral("dc1e1e")};
    const std::vector<Case> cases = {
        {"extract, steps skipped", extract + QStringList{QStringLiteral("--points"), QStringLiteral("21")}, {}, 0, true},
        {"extract as CSV",
         extract + QStringList{QStringLiteral("--points"), QStringLiteral("21"), QStringLiteral("--format"), QStringLiteral("csv")},
         {},
         0,
         true},
        {"extract, a wrong option", extract + QStringList{QStringLiteral("--bogus")}, {}, 2, false},
        {"extract, a colour not there", {QStringLiteral("extract"), orvd, QStringLiteral("--color"), QStringLiteral("ffff00"), QStringLiteral("--markers")}, {}, 3, false},
        {"export, picture missing", {QStringLiteral("export"), gone, QStringLiteral("--format"), QStringLiteral("json")}, {}, 0, true},
        {"export, no file", {QStringLiteral("export")}, {}, 2, false},
        {"fit, rows left out", {QStringLiteral("fit"), QStringLiteral("--kind"), QStringLiteral("linear")}, "1,3\n2,\n3,7\n", 0, true},
        {"fit, log of 0", {QStringLiteral("fit"), QStringLiteral("--kind"), QStringLiteral("log")}, "0,1\n1,2\n", 1, false},
    };
    for (const Case &k : cases) {
        const Outcome ja = runProgram(QStringLiteral("ja"), k.args, k.input, dir.path());
        const Outcome en = runProgram(QStringLiteral("en"), k.args, k.input, dir.path());
        EXPECT_EQ(ja.code, k.code) << k.what << "\n" << ja.err.toStdString();
        EXPECT_EQ(en.code, k.code) << k.what << "\n" << en.err.toStdString();
        EXPECT_EQ(ja.out, en.out) << k.what;
        EXPECT_EQ(!ja.out.isEmpty(), k.output) << k.what;
        // Both say something, each in its own language.
        EXPECT_FALSE(ja.err.isEmpty()) << k.what;
        EXPECT_NE(ja.err, en.err) << k.what;
        const QString jaText = QString::fromUtf8(ja.err), enText = QString::fromUtf8(en.err);
        auto japanese = [](const QString &t) {
            return std::any_of(t.begin(), t.end(), [](QChar ch) { return ch.unicode() >= 0x3040 && ch.unicode() < 0xa000; });
        };
        EXPECT_TRUE(japanese(jaText)) << k.what << ": " << ja.err.toStdString();
        EXPECT_FALSE(japanese(enText)) << k.what << ": " << en.err.toStdString();
    }
}

int main(int argc, char **argv)
{
    // The chart is drawn with text: a GUI application, on no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
