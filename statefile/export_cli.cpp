#include "statefile/export_cli.h"

#include "processing/table_ops.h"

#include "model/datetext.h"
#include "model/reading.h"
#include "statefile/state_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringEncoder>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace orv {

namespace {

constexpr int kExitOk = 0, kExitLoad = 1, kExitUsage = 2, kExitPartial = 3, kExitWrite = 4;

struct ExportOptions {
    QString file;
    // Unset: the kinds stored in the file (linear for a file without them).
    std::optional<AxisKind> xKind, yKind;
    QString xFormat = QStringLiteral("AUTO"), yFormat = QStringLiteral("AUTO");
    bool json = false;
    QString outDir;
};

bool validPattern(const QString &p)
{
    static const QRegularExpression re(QStringLiteral("^0(\\.0*)?([eE][+-]0+)?$"));
    return p == u"AUTO" || re.match(p).hasMatch() || isDatePattern(p);
}

// Messages are written for a message box; a terminal wants one line per "\r".
QString terminalText(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

} // namespace

QString jsonString(const QString &s)
{
    QString o;
    o.reserve(s.size() + 2);
    o += u'"';
    for (QChar c : s) {
        switch (c.unicode()) {
        case '"': o += QStringLiteral("\\\""); break;
        case '\\': o += QStringLiteral("\\\\"); break;
        case '\n': o += QStringLiteral("\\n"); break;
        case '\r': o += QStringLiteral("\\r"); break;
        case '\t': o += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                o += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                o += c;
        }
    }
    o += u'"';
    return o;
}

// The stored single-precision position, shortest text that reads back the same.
QString floatJson(float v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, r.ptr - buf);
}

// Converted values at full double precision.
QString doubleJson(double v)
{
    char buf[40];
    int n = std::snprintf(buf, sizeof buf, "%.17g", v);
    return QString::fromLatin1(buf, n);
}

QString exportJsonDocument(Reading &r, int *failed, const std::function<bool(int id)> &include)
{
    // Where each point's row is: its series' table, row by ID.
    std::array<int, Reading::kMaxId + 1> rowOf{};
    for (int s = 1; s <= Reading::kSeriesCount; ++s) {
        const SeriesTable &t = r.grid(s);
        for (int row = 1; row < t.rowCount(); ++row) {
            const double id = readPrefix(t.cell(row, SeriesTable::ColId));
            if (id >= 1 && id <= Reading::kMaxId)
                rowOf[size_t(id)] = row;
        }
    }
    const QString sep = QStringLiteral(",");
    QString o = QStringLiteral("{\"picture\": %1, \"mode\": %2, \"points\": [")
                    .arg(jsonString(r.GraphPic_Path), jsonString(r.panel.tabCaption()));
    bool first = true;
    for (int id = 1; id <= Reading::kMaxId; ++id) {
        const QString &rec = r.Pt_Array[size_t(id)];
        if (Reading::Get_Field(rec, sep, 0) != u"TRUE" || (include && !include(id)))
            continue;
        const int s = int(readPrefix(Reading::Get_Field(rec, sep, 1)));
        const float x = float(readPrefix(Reading::Get_Field(rec, sep, 2)));
        const float y = float(readPrefix(Reading::Get_Field(rec, sep, 3)));
        const SeriesTable &t = r.grid(s);
        const int row = rowOf[size_t(id)];
        o += first ? QStringLiteral("\n  {") : QStringLiteral(",\n  {");
        first = false;
        o += QStringLiteral("\"series\": %1, \"id\": %2, \"x\": %3, \"y\": %4, ")
                 .arg(s)
                 .arg(id)
                 .arg(floatJson(x), floatJson(y));
        auto conv = r.Conv_Pt(x, y);
        if (conv && std::isfinite(r.Conv_X) && std::isfinite(r.Conv_Y)) {
            o += QStringLiteral("\"X\": %1, \"Y\": %2, \"X_text\": %3, \"Y_text\": %4, ")
                     .arg(doubleJson(r.Conv_X), doubleJson(r.Conv_Y),
                          jsonString(t.cell(row, SeriesTable::ColX)), jsonString(t.cell(row, SeriesTable::ColY)));
        } else {
            ++*failed;
            const QString why = conv ? QStringLiteral("値が有限ではありません。") : convErrorText(conv.error());
            o += QStringLiteral("\"error\": %1, ").arg(jsonString(why));
        }
        o += QStringLiteral("\"z\": %1}").arg(jsonString(t.cell(row, SeriesTable::ColZ)));
    }
    o += first ? QStringLiteral("]}\n") : QStringLiteral("\n]}\n");
    return o;
}

QString exportHelpText()
{
    return QStringLiteral(
        "Usage: orvalinetrix export FILE.orvd [OPTION]...\n"
        "Writes the points of a saved reading without opening a window.\n"
        "\n"
        "  --x-log, --y-log    the axis is logarithmic\n"
        "  --x-date, --y-date  the axis holds dates and times: X (Y) is the serial day\n"
        "                      (days since 1899-12-30, the time of day as fraction),\n"
        "                      X_text (Y_text) and the CSV files show the date texts\n"
        "  --x-linear, --y-linear\n"
        "                      the axis is linear (default for both: the kinds saved\n"
        "                      in the file; linear for a file saved without them)\n"
        "  --x-format P        display pattern of X: AUTO (default), 0, 0.0, 0.00, ...,\n"
        "  --y-format P        0.0e+0, 0.00e+0, ... (as in the main window's lists);\n"
        "                      on a date axis yyyy, yyyy-MM, yyyy-MM-dd,\n"
        "                      \"yyyy-MM-dd hh:mm\", \"yyyy-MM-dd hh:mm:ss\", hh:mm:ss,\n"
        "                      hh:mm:ss.zzz\n"
        "  --format csv|json   csv (default): one file series-N.csv per series with\n"
        "                      points: the series name, then X,Y,Z per row exactly as\n"
        "                      the series table shows them (CRLF, code page 932).\n"
        "                      json: one document with every point in ID order: series,\n"
        "                      id, stored x and y, converted X and Y (17 significant\n"
        "                      digits), X_text, Y_text and z as the table shows them;\n"
        "                      a point that cannot be converted has \"error\" instead.\n"
        "  --out DIR           folder for the files (created when missing): the csv\n"
        "                      files, or NAME.json for FILE NAME.orvd. Without it, csv\n"
        "                      files go to the current folder and json to standard\n"
        "                      output.\n"
        "  --help              show this help\n"
        "\n"
        "The picture is not needed; a missing picture is reported as a warning.\n"
        "Paths of written files are printed one per line.\n"
        "\n"
        "Exit status: 0 done, 1 the reading file could not be read, 2 wrong arguments,\n"
        "3 written but some points could not be converted, 4 an output file could not\n"
        "be written.\n");
}

QByteArray seriesCsvBytes(const SeriesTable &t)
{
    // The same bytes the data processing window's CSV save writes.
    return csvBytes(QStringLiteral("系列%1").arg(t.series()), t).value_or(QByteArray());
}

bool ArgCursor::next()
{
    if (++m_i >= m_args.size())
        return false;
    m_name = m_args[m_i];
    m_value.clear();
    m_inline = false;
    if (m_name.startsWith(u"--") && m_name.contains(u'=')) {
        const qsizetype eq = m_name.indexOf(u'=');
        m_value = m_name.mid(eq + 1);
        m_name.truncate(eq);
        m_inline = true;
    }
    return true;
}

bool ArgCursor::takeValue()
{
    if (m_inline)
        return true;
    if (m_i + 1 >= m_args.size())
        return false;
    m_value = m_args[++m_i];
    return true;
}

QString tryHelpText(const char *command)
{
    return QCoreApplication::translate("Cli", "'orvalinetrix %1 --help' で使い方を表示します。")
               .arg(QString::fromLatin1(command)) +
           u'\n';
}

HeadlessReading::HeadlessReading(const QString &programFolder)
{
    desk.defaultYes = true;
    r.programFolder = programFolder.isEmpty() && QCoreApplication::instance()
                          ? QCoreApplication::applicationDirPath()
                          : programFolder;
    r.Init_App();
}

bool HeadlessReading::kindOption(const QString &a, std::optional<AxisKind> &xKind, std::optional<AxisKind> &yKind,
                                 QString &error)
{
    static const QRegularExpression re(QStringLiteral("^--([xy])-(log|linear|date)$"));
    const auto m = re.match(a);
    if (!m.hasMatch())
        return false;
    std::optional<AxisKind> &kind = m.captured(1) == u"x" ? xKind : yKind;
    const QString word = m.captured(2);
    const AxisKind k = word == u"log" ? AxisKind::Log : word == u"date" ? AxisKind::Date : AxisKind::Linear;
    if (kind && *kind != k) {
        static const char *const names[] = {"linear", "log", "date"};
        const QString first = QStringLiteral("--%1-%2").arg(m.captured(1), QLatin1String(names[int(*kind)]));
        error = QCoreApplication::translate("Cli", "%1 と %2 は両立しません").arg(first, a);
        return true;
    }
    kind = k;
    return true;
}

std::optional<LoadReport> HeadlessReading::load(const QString &file, std::optional<AxisKind> xKind,
                                                std::optional<AxisKind> yKind, QTextStream &err, const QString &me)
{
    auto parsed = readStateFile(file);
    if (!parsed) {
        err << me << terminalText(stateFileErrorText(parsed.error(), file)) << "\n";
        return std::nullopt;
    }
    const LoadReport rep = applyStateFile(r, *parsed, LoadOptions{.openPicture = false, .xKind = xKind, .yKind = yKind});
    for (const auto &m : desk.messages)
        err << me << terminalText(m.text) << "\n";
    if (!rep.ok)
        return std::nullopt;
    return rep;
}

int runExportCommand(const QStringList &args, QTextStream &out, QTextStream &err, const QString &programFolder)
{
    const QString me = QStringLiteral("orvalinetrix export: ");
    ExportOptions o;
    bool haveFile = false;
    for (ArgCursor c(args); c.next();) {
        const QString &a = c.name(), &value = c.value();
        const bool hasValue = c.hasInlineValue();
        auto takeValue = [&]() -> bool {
            if (c.takeValue())
                return true;
            err << me << QCoreApplication::translate("Cli", "%1 には値が必要です").arg(a) << "\n";
            return false;
        };
        if (a == u"--help" || a == u"-h") {
            out << exportHelpText();
            return kExitOk;
        } else if (QString why; !hasValue && HeadlessReading::kindOption(a, o.xKind, o.yKind, why)) {
            if (!why.isEmpty()) {
                err << me << why << "\n";
                return kExitUsage;
            }
        } else if (a == u"--x-format" || a == u"--y-format") {
            if (!takeValue())
                return kExitUsage;
            if (!validPattern(value)) {
                err << me << QCoreApplication::translate("Cli", "%1 の表示形式「%2」は使えません").arg(a, value) << "\n";
                return kExitUsage;
            }
            (a == u"--x-format" ? o.xFormat : o.yFormat) = value;
        } else if (a == u"--format") {
            if (!takeValue())
                return kExitUsage;
            if (value != u"csv" && value != u"json") {
                err << me << QCoreApplication::translate("Cli", "--format は csv 又は json です(「%1」は使えません)").arg(value) << "\n";
                return kExitUsage;
            }
            o.json = value == u"json";
        } else if (a == u"--out") {
            if (!takeValue())
                return kExitUsage;
            if (value.isEmpty()) {
                err << me << QCoreApplication::translate("Cli", "--out にはフォルダーが必要です") << "\n";
                return kExitUsage;
            }
            o.outDir = value;
        } else if (a.startsWith(u'-') && a.size() > 1) {
            err << me << QCoreApplication::translate("Cli", "不明なオプション %1").arg(c.raw()) << "\n" << tryHelpText("export");
            return kExitUsage;
        } else if (haveFile) {
            err << me << QCoreApplication::translate("Cli", "一度に書き出せる読取ファイルは一つです") << "\n";
            return kExitUsage;
        } else {
            o.file = a;
            haveFile = true;
        }
    }
    if (!haveFile) {
        err << me << QCoreApplication::translate("Cli", "読取ファイルが指定されていません") << "\n" << tryHelpText("export");
        return kExitUsage;
    }

    HeadlessReading h(programFolder);
    Reading &r = h.r;
    r.settings.xFormat.setText(o.xFormat);
    r.settings.yFormat.setText(o.yFormat);
    const auto loaded = h.load(o.file, o.xKind, o.yKind, err, me);
    if (!loaded)
        return kExitLoad;
    // Date patterns belong to date axes and number patterns to the others.
    for (bool xAxis : {true, false}) {
        const QString &asked = xAxis ? o.xFormat : o.yFormat;
        if (asked != u"AUTO" && isDatePattern(asked) != r.isDateAxis(xAxis)) {
            err << me
                << (r.isDateAxis(xAxis)
                        ? QCoreApplication::translate("Cli", "表示形式 %1 は日時の軸 (%2) には使えません")
                        : QCoreApplication::translate("Cli", "表示形式 %1 は数値の軸 (%2) には使えません"))
                       .arg(asked, QLatin1String(xAxis ? "X" : "Y"))
                << "\n";
            return kExitUsage;
        }
    }
    const LoadReport &rep = *loaded;
    if (rep.pictureMissing)
        err << me
            << QCoreApplication::translate("Cli", "警告: 画像ファイルがありません: %1")
                   .arg(r.GraphPic_Path.isEmpty() ? QCoreApplication::translate("Cli", "(なし)") : r.GraphPic_Path)
            << "\n";
    const QString warn = loadWarningText(rep);
    if (!warn.isEmpty())
        err << me << terminalText(warn) << "\n";

    if (!o.outDir.isEmpty() && !QDir().mkpath(o.outDir)) {
        err << me << QCoreApplication::translate("Cli", "フォルダー %1 を作れません").arg(o.outDir) << "\n";
        return kExitWrite;
    }
    const QDir dir(o.outDir.isEmpty() ? QDir::currentPath() : o.outDir);

    int failed = 0;
    if (o.json) {
        const QString doc = exportJsonDocument(r, &failed);
        if (o.outDir.isEmpty()) {
            out << doc;
        } else {
            const QString path = dir.filePath(QFileInfo(o.file).completeBaseName() + QStringLiteral(".json"));
            auto w = writeStateFile(path, doc.toUtf8());
            if (!w) {
                err << me << terminalText(w.error()) << "\n";
                return kExitWrite;
            }
            out << path << "\n";
        }
    } else {
        int written = 0;
        for (int s = 1; s <= Reading::kSeriesCount; ++s) {
            const SeriesTable &t = r.grid(s);
            if (!t.loaded() || t.isEmpty())
                continue;
            for (int row = 1; row < t.rowCount(); ++row)
                failed += t.cell(row, SeriesTable::ColX).isEmpty();
            const QString path = dir.filePath(QStringLiteral("series-%1.csv").arg(s));
            auto w = writeStateFile(path, seriesCsvBytes(t));
            if (!w) {
                err << me << terminalText(w.error()) << "\n";
                return kExitWrite;
            }
            out << path << "\n";
            ++written;
        }
        if (!written)
            err << me << QCoreApplication::translate("Cli", "読取に点がありません。何も書き出しませんでした") << "\n";
    }
    return failed ? kExitPartial : kExitOk;
}

} // namespace orv
