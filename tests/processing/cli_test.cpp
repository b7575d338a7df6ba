#include "processing/cli.h"

#include <QBuffer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orv;

namespace {

struct Run {
    int code;
    std::string out, err;
};

Run fit(const QStringList &args, const QByteArray &input = {})
{
    QString o, e;
    QTextStream out(&o), err(&e);
    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    int c = runFitCommand(args, out, err, &in);
    out.flush();
    err.flush();
    return {c, o.toStdString(), e.toStdString()};
}

Run eval(const QStringList &args)
{
    QString o, e;
    QTextStream out(&o), err(&e);
    int c = runEvalCommand(args, out, err);
    out.flush();
    err.flush();
    return {c, o.toStdString(), e.toStdString()};
}

} // namespace

TEST(CliFit, ReadsTheProgramsCsvFromStdinAndAFile)
{
    QStringEncoder enc("Shift_JIS");
    const QByteArray csv = enc.encode(QStringLiteral("系列1\r\n1.0000,3.0000,\r\n2.0000,5.0000,4\r\n3.0000,7.0000,\r\n"));
    auto r = fit({"--kind", "linear"}, csv);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "y=2x+1\n1.0000\n");

    QTemporaryDir dir;
    QFile f(dir.filePath("d.csv"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0,1\n1,2\n2,5\n3,10\n");
    f.close();
    r = fit({"--kind=poly", "--degree", "2", f.fileName()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "y=1x2+0x+1\n1.0000\n");
    r = fit({"--kind", "poly", "--intercept", "1", "-"}, "1,2\n2,5\n3,10\n");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "y=1x2+0x+1\n1.0000\n");
}

TEST(CliFit, RowsWithoutValuesInASavedCsvAreLeftOutAndCounted)
{
    QStringEncoder enc("Shift_JIS");
    const QByteArray csv = enc.encode(QStringLiteral("系列1\r\n,,\r\n1.0000,3.0000,\r\n2.0000,,1\r\n"
                                                     "2.0000,5.0000,4\r\n,9.0000,\r\n3.0000,7.0000,\r\n"));
    auto r = fit({"--kind", "linear"}, csv);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "y=2x+1\n1.0000\n");
    EXPECT_NE(r.err.find("X 又は Y のない 3 行を除きました"), std::string::npos) << r.err;
    // A text that is not a number is still an error, not a row without values.
    r = fit({"--kind", "linear"}, "1,2\n2,\n3,x\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("3 行目"), std::string::npos) << r.err;
}

TEST(CliFit, ClearMessagesAndExitCodes)
{
    EXPECT_EQ(fit({"--help"}).code, 0);
    EXPECT_NE(fit({"--help"}).out.find("--kind"), std::string::npos);
    auto r = fit({}, "1,2\n");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--kind"), std::string::npos);
    EXPECT_EQ(fit({"--kind", "cubic"}).code, 2);
    EXPECT_EQ(fit({"--kind", "poly", "--degree", "7"}).code, 2);
    EXPECT_EQ(fit({"--kind", "log", "--intercept", "1"}).code, 2);
    EXPECT_EQ(fit({"--kind", "linear", "--bogus"}).code, 2);
    EXPECT_EQ(fit({"--kind", "linear", "/no/such/file.csv"}).code, 1);
    r = fit({"--kind", "linear"}, "1,2\n2,oops\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("2 行目"), std::string::npos);
    r = fit({"--kind", "log"}, "0,1\n1,2\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("エラー！(No.4)"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
    QByteArray many;
    for (int i = 0; i < 1005; ++i)
        many += QByteArray::number(i) + "," + QByteArray::number(2 * i) + "\n";
    r = fit({"--kind", "linear"}, many);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.err.find("1000個以上"), std::string::npos);
    EXPECT_EQ(r.out, "y=2x+0\n1.0000\n");
}

TEST(CliEval, PrintsTheValueAsTheResultWindowDoes)
{
    auto r = eval({"y=0.5x2-1.2x+3", "--kind", "poly", "-2"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "7.4000\n");
    EXPECT_EQ(eval({"y=2.5x+1.3", "--kind=linear", "2"}).out, "6.3000\n");
    EXPECT_EQ(eval({"y=2x-1", "--kind", "power", "4"}).out, "0.50000\n");
    r = eval({"y=1.2Ln(x)+3", "--kind", "log", "0"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Lｎにおいて"), std::string::npos);
    EXPECT_EQ(eval({"y=1.2Ln(x)+3", "--kind", "log", "abc"}).code, 2);
    EXPECT_EQ(eval({"y=2x+1", "2"}).code, 2);
    EXPECT_EQ(eval({"--help"}).code, 0);
    EXPECT_EQ(eval({"y=2x0.5", "--kind", "power", "-4"}).code, 1);
}
