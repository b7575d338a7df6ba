#include "autoread/extract_cli.h"

#include "autoread/methods.h"
#include "graphwin/graph_form.h"
#include "model/datetext.h"
#include "model/picture.h"
#include "model/reading.h"
#include "processing/table_ops.h"
#include "statefile/export_cli.h"
#include "statefile/state_file.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <cmath>
#include <set>

namespace orv {

namespace {

constexpr int kExitOk = 0, kExitLoad = 1, kExitUsage = 2, kExitNothing = 3, kExitWrite = 4;

QString terminalText(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

std::optional<double> number(const QString &s)
{
    bool ok = false;
    const double v = s.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString csvField(const QString &s)
{
    if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r'))
        return s;
    QString q = s;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

QString extractHelpText()
{
    return QStringLiteral(
        "Usage: orvalinetrix extract FILE.orvd --color RRGGBB METHOD [OPTION]...\n"
        "Reads points off the reading's picture by their colour, through its frame,\n"
        "without opening a window.\n"
        "\n"
        "  --color RRGGBB      the colour of the curve or markers (#RRGGBB also read)\n"
        "  --tolerance T|auto  colour distance accepted around the picture's own\n"
        "                      colour nearest to --color, CIELAB delta E 0..60;\n"
        "                      auto (default): estimated from that colour's spread\n"
        "                      in this picture (compression, scan noise); the\n"
        "                      distance used is reported on standard error\n"
        "Exactly one method:\n"
        "  --x-step S          a point every S along X (a factor > 1 on a log X axis)\n"
        "  --y-step S          a point every S along Y, for steep curves (a factor > 1\n"
        "                      on a log Y axis)\n"
        "  --points N          N points along X from --from to --to, both ends\n"
        "                      included, evenly spaced (in log10 on a log axis)\n"
        "  --markers           one point per marker, at the centre of its bounding\n"
        "                      box; markers on a line of their colour are found by\n"
        "                      taking the thinner line away\n"
        "Options:\n"
        "  --from A, --to B    the range of the stepping axis (X for --x-step and\n"
        "                      --points, Y for --y-step); default: the frame's range\n"
        "                      (finite, within a million frame spans, decades on a\n"
        "                      log axis; equal only with --points 1).\n"
        "                      On a date axis dates such as 2020-03-01 or\n"
        "                      \"2020-03-01 09:00\", and the step a duration: 30s,\n"
        "                      15min, 6h, 1d, 2w, or the calendar steps 1mo, 1y\n"
        "                      (the day of the month kept, clamped to short months)\n"
        "  --margin PX         pixels kept off the frame lines (default 3)\n"
        "  --exclude X0,Y0,X1,Y1\n"
        "                      leave a rectangle out (picture pixels, y down, as\n"
        "                      the reading area); may be repeated\n"
        "  --series K          the series the points go to, 1..16 (default 1)\n"
        "  --x-log, --y-log    the axis is logarithmic (default: as saved)\n"
        "  --x-date, --y-date  the axis holds dates and times (default: as saved)\n"
        "  --x-linear, --y-linear\n"
        "                      the axis is linear (default: as saved)\n"
        "  --format json|csv   json (default): the shape of export --format json,\n"
        "                      the new points only; csv: series, id, X, Y as the\n"
        "                      table shows them\n"
        "  --save OUT.orvd     also write the reading with the points added (the\n"
        "                      input file is replaced only when OUT names it)\n"
        "  --help              show this help\n"
        "\n"
        "New points take the lowest free IDs in the order of the stepping axis\n"
        "(markers in X order); every point found is printed, IDs counting on past\n"
        "the reading's free IDs. A reading holds at most 250 points: --save adds\n"
        "what fits and reports the number left out.\n"
        "\n"
        "Exit status: 0 done, 1 the reading or its picture could not be read, or the\n"
        "frame is incomplete or unusable, 2 wrong arguments, 3 nothing found (the\n"
        "colour is not in the picture, or only as lines for --markers), 4 the --save file\n"
        "could not be written.\n");
}

int runExtractCommand(const QStringList &args, QTextStream &out, QTextStream &err, const QString &programFolder)
{
    const QString me = QStringLiteral("orvalinetrix extract: ");
    auto usage = [&](const QString &why) {
        err << me << why << "\n" << tryHelpText("extract");
        return kExitUsage;
    };
    QString file, saveTo;
    std::optional<QRgb> colour;
    double tolerance = 15, margin = 3;
    bool autoTolerance = true;
    std::vector<QRectF> exclusions;
    int series = 1;
    bool json = true;
    std::optional<AxisKind> xKind, yKind;
    // Read once the axis kinds are known: dates and durations on a date axis.
    QString fromText, toText, stepText;
    int methods = 0;
    autoread::Method method = autoread::Method::XSteps;
    autoread::StepOptions steps;
    for (ArgCursor c(args); c.next();) {
        const QString &a = c.name(), &value = c.value();
        const bool hasValue = c.hasInlineValue();
        auto take = [&] { return c.takeValue(); };
        auto needValue = [&] { return usage(QCoreApplication::translate("Cli", "%1 には値が必要です").arg(a)); };
        if (a == u"--help" || a == u"-h") {
            out << extractHelpText();
            return kExitOk;
        } else if (a == u"--color" || a == u"--colour") {
            if (!take())
                return needValue();
            static const QRegularExpression hex(QStringLiteral("^#?([0-9A-Fa-f]{6})$"));
            const auto m = hex.match(value);
            if (!m.hasMatch())
                return usage(QCoreApplication::translate("Cli", "--color には16進数6桁 RRGGBB が必要です(「%1」は使えません)").arg(value));
            colour = QRgb(0xff000000u | m.captured(1).toUInt(nullptr, 16));
        } else if (a == u"--tolerance") {
            if (!take())
                return needValue();
            if (value == u"auto") {
                autoTolerance = true;
                continue;
            }
            auto v = number(value);
            if (!v || *v < 0 || *v > 60)
                return usage(QCoreApplication::translate("Cli", "--tolerance は auto か 0 から 60 の数値です(「%1」は使えません)").arg(value));
            tolerance = *v;
            autoTolerance = false;
        } else if (a == u"--x-step" || a == u"--y-step") {
            if (!take())
                return needValue();
            auto v = number(value);
            if ((!v || *v <= 0) && !parseDuration(value))
                return usage(QCoreApplication::translate("Cli", "%1 は正の数値です(日時の軸では 30s、15min、6h、1d、1mo、1y のような長さ。「%2」は使えません)").arg(a, value));
            ++methods;
            method = a == u"--x-step" ? autoread::Method::XSteps : autoread::Method::YSteps;
            stepText = value;
        } else if (a == u"--points") {
            if (!take())
                return needValue();
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 1 || n > 100000)
                return usage(QCoreApplication::translate("Cli", "--points は 1 から 100000 の整数です(「%1」は使えません)").arg(value));
            ++methods;
            method = autoread::Method::XSteps;
            steps.points = n;
        } else if (!hasValue && a == u"--markers") {
            ++methods;
            method = autoread::Method::Markers;
        } else if (a == u"--from" || a == u"--to") {
            if (!take())
                return needValue();
            if (!number(value) && !parseDateText(value))
                return usage(QCoreApplication::translate("Cli", "%1 は数値です(日時の軸では日付。「%2」は使えません)").arg(a, value));
            (a == u"--from" ? fromText : toText) = value;
        } else if (a == u"--margin") {
            if (!take())
                return needValue();
            auto v = number(value);
            if (!v || *v < 0 || *v > 10000)
                return usage(QCoreApplication::translate("Cli", "--margin は 0 以上の画素数です(「%1」は使えません)").arg(value));
            margin = *v;
        } else if (a == u"--exclude") {
            if (!take())
                return needValue();
            const QStringList parts = value.split(u',');
            std::vector<double> v;
            for (const QString &part : parts)
                if (auto n = number(part))
                    v.push_back(*n);
            if (parts.size() != 4 || v.size() != 4)
                return usage(QCoreApplication::translate("Cli", "--exclude には四つの数値 X0,Y0,X1,Y1 が要ります(「%1」は使えません)").arg(value));
            exclusions.push_back(QRectF(QPointF(v[0], v[1]), QPointF(v[2], v[3])).normalized());
        } else if (a == u"--series") {
            if (!take())
                return needValue();
            bool ok = false;
            series = value.toInt(&ok);
            if (!ok || !Reading::validSeries(series))
                return usage(QCoreApplication::translate("Cli", "--series は 1 から 16 です(「%1」は使えません)").arg(value));
        } else if (QString why; !hasValue && HeadlessReading::kindOption(a, xKind, yKind, why)) {
            if (!why.isEmpty())
                return usage(why);
        } else if (a == u"--format") {
            if (!take())
                return needValue();
            if (value != u"csv" && value != u"json")
                return usage(QCoreApplication::translate("Cli", "--format は json 又は csv です(「%1」は使えません)").arg(value));
            json = value == u"json";
        } else if (a == u"--save") {
            if (!take())
                return needValue();
            if (value.isEmpty())
                return usage(QCoreApplication::translate("Cli", "--save にはファイル名が必要です"));
            saveTo = value;
        } else if (a.startsWith(u'-') && a.size() > 1) {
            return usage(QCoreApplication::translate("Cli", "不明なオプション %1").arg(c.raw()));
        } else if (!file.isEmpty()) {
            return usage(QCoreApplication::translate("Cli", "一度に読める読取ファイルは一つです"));
        } else {
            file = a;
        }
    }
    if (file.isEmpty())
        return usage(QCoreApplication::translate("Cli", "読取ファイルが指定されていません"));
    if (!colour)
        return usage(QCoreApplication::translate("Cli", "--color が必要です"));
    if (methods == 0)
        return usage(QCoreApplication::translate("Cli", "方法を一つ指定して下さい: --x-step、--y-step、--points 又は --markers"));
    if (methods > 1)
        return usage(QCoreApplication::translate("Cli", "--x-step、--y-step、--points、--markers はどれか一つだけ指定できます"));
    if (method == autoread::Method::Markers && (!fromText.isEmpty() || !toText.isEmpty()))
        return usage(QCoreApplication::translate("Cli", "--from と --to は刻みの方法に使います(--markers には使えません)"));

    HeadlessReading h(programFolder);
    Reading &r = h.r;
    if (!h.load(file, xKind, yKind, err, me))
        return kExitLoad;
    const bool dateAxis = r.isDateAxis(method != autoread::Method::YSteps);
    // On a date axis the range is dates (or serial days) and the step a duration.
    for (auto [text, target] : {std::pair{&fromText, &steps.from}, std::pair{&toText, &steps.to}}) {
        if (text->isEmpty())
            continue;
        if (dateAxis) {
            if (auto v = readDateValue(*text); v && std::isfinite(*v))
                *target = *v;
            else
                return usage(terminalText(dateErrorText(parseDateText(*text).error(), *text)));
        } else if (auto v = number(*text)) {
            *target = *v;
        } else {
            return usage(QCoreApplication::translate("Cli", "%1 は数値です(日時の軸では日付。「%2」は使えません)").arg(text == &fromText ? QStringLiteral("--from") : QStringLiteral("--to"), *text));
        }
    }
    std::optional<Duration> calendarStep;
    if (!stepText.isEmpty()) {
        if (auto v = number(stepText); v && *v > 0) {
            steps.step = *v; // days on a date axis
        } else if (!dateAxis) {
            return usage(QCoreApplication::translate("Cli", "長さ「%1」は日時の軸にだけ使えます。刻みは正の数値です").arg(stepText));
        } else if (auto d = parseDuration(stepText); d && d->calendar()) {
            calendarStep = *d;
        } else if (d) {
            steps.step = d->days;
        } else {
            return usage(terminalText(d.error()));
        }
    }
    auto picture = decodePicture(r.GraphPic_Path);
    if (!picture) {
        err << me
            << QCoreApplication::translate("Cli", "画像を読めません: %1")
                   .arg(r.GraphPic_Path.isEmpty() ? QCoreApplication::translate("Cli", "(なし)") : r.GraphPic_Path)
            << "\n";
        return kExitLoad;
    }
    Graph_Form(r).setPictureSize(picture->width(), picture->height());
    r.Pic_Width = picture->width();
    r.Pic_Height = picture->height();
    auto frame = readFrame(r.panel);
    const QString problem = autoread::frameProblemText(r.panel);
    if (!frame || !problem.isEmpty()) {
        err << me << QCoreApplication::translate("Cli", "枠線の定義が完了していません: %1")
                         .arg(terminalText(problem.isEmpty() ? convErrorText(frame.error()) : problem))
            << "\n";
        return kExitLoad;
    }

    if (calendarStep) {
        // Months are not even: the values themselves, counted from the start.
        const bool alongY = method == autoread::Method::YSteps;
        const double a = steps.from.value_or(alongY ? frame->ya : frame->xa);
        const double b = steps.to.value_or(alongY ? frame->yb : frame->xb);
        const int dir = b >= a ? 1 : -1;
        for (std::int64_t k = 0; k < 100000; ++k) {
            const double v = addDuration(a, *calendarStep, dir * k);
            if (dir * (v - b) > 1e-9)
                break;
            steps.values.push_back(v);
        }
    }

    autoread::ReadJob job;
    job.picture = *picture;
    job.frame = *frame;
    job.map = &frameMap(r.panel);
    job.panel = &r.panel;
    job.colour = *colour;
    job.tolerance = tolerance;
    job.autoTolerance = autoTolerance;
    job.margin = margin;
    job.method = method;
    job.steps = steps;
    job.exclusions = exclusions;
    auto found = autoread::runRead(job);
    if (!found) {
        const auto e = found.error();
        if (!autoread::isFrameError(e) && e != autoread::ReadError::NoPicture)
            return usage(terminalText(autoread::readErrorText(e)));
        err << me << terminalText(autoread::readErrorText(e)) << "\n";
        return kExitLoad;
    }
    if (found->toleranceUsed > 0) {
        err << me
            << (autoTolerance ? QCoreApplication::translate("AutoRead", "使用した色差: ΔE %1(自動)")
                              : QCoreApplication::translate("AutoRead", "使用した色差: ΔE %1"))
                   .arg(found->toleranceUsed, 0, 'f', 1)
            << "\n";
    }
    if (found->absence != autoread::ReadResult::Absence::None) {
        err << me << terminalText(autoread::absenceText(*found)) << "\n";
        return kExitNothing;
    }
    if (found->detachedLeftOut)
        err << me
            << QCoreApplication::translate("AutoRead", "曲線から離れた短い部分 %1 個(凡例の見本、ラベルなど)を除きました")
                   .arg(found->detachedLeftOut)
            << "\n";
    if (found->lineUnderMarkers)
        err << me << QCoreApplication::translate("AutoRead", "マーカーの下の同じ色の線を除いて読みました") << "\n";
    if (found->points.empty()) {
        err << me << QCoreApplication::translate("Cli", "この色は見つかりませんでした");
        if (found->skipped)
            err << QCoreApplication::translate("Cli", "(該当のない値 %1 個)").arg(found->skipped);
        err << "\n";
        return kExitNothing;
    }
    std::vector<QPointF> positions;
    for (const auto &p : found->points)
        positions.push_back(p.normalised);
    std::set<int> before;
    for (int id = 1; id <= Reading::kMaxId; ++id)
        if (Reading::Get_Field(r.Pt_Array[size_t(id)], QStringLiteral(","), 0) == u"TRUE")
            before.insert(id);
    const Reading::BatchResult added = r.addPoints(series, positions);
    if (found->skipped)
        err << me << QCoreApplication::translate("Cli", "該当のない値 %1 個を飛ばしました").arg(found->skipped) << "\n";
    if (added.leftOut && !saveTo.isEmpty())
        err << me
            << QCoreApplication::translate("Cli", "%1 点を保存する読取に追加しませんでした: 一つの読取には 250 点までです")
                   .arg(added.leftOut)
            << "\n";
    // What did not fit in the reading is still printed, its IDs counting on
    // past the reading's.
    struct Extra {
        int id;
        float x, y;
        bool ok;
        double X, Y;
        QString xText, yText;
    };
    std::vector<Extra> extras;
    for (size_t i = size_t(added.added); i < positions.size(); ++i) {
        Extra e{Reading::kMaxId + 1 + int(extras.size()), float(positions[i].x()), float(positions[i].y()), false, 0, 0, {}, {}};
        auto conv = r.Conv_Pt(e.x, e.y);
        e.ok = conv && std::isfinite(r.Conv_X) && std::isfinite(r.Conv_Y);
        if (e.ok) {
            e.X = r.Conv_X;
            e.Y = r.Conv_Y;
            e.xText = r.Format_Val(u"X", e.X);
            e.yText = r.Format_Val(u"Y", e.Y);
        }
        extras.push_back(e);
    }
    auto isNew = [&](int id) { return !before.contains(id); };
    if (json) {
        int failed = 0;
        QString doc = exportJsonDocument(r, &failed, isNew);
        if (!extras.empty()) {
            // Before the closing of the points list.
            const bool none = added.added == 0;
            doc.chop(none ? 3 : 4); // "]}\n" or "\n]}\n"
            bool first = none;
            for (const Extra &e : extras) {
                doc += first ? QStringLiteral("\n  {") : QStringLiteral(",\n  {");
                first = false;
                doc += QStringLiteral("\"series\": %1, \"id\": %2, \"x\": %3, \"y\": %4, ")
                           .arg(series)
                           .arg(e.id)
                           .arg(floatJson(e.x), floatJson(e.y));
                if (e.ok)
                    doc += QStringLiteral("\"X\": %1, \"Y\": %2, \"X_text\": %3, \"Y_text\": %4, ")
                               .arg(doubleJson(e.X), doubleJson(e.Y), jsonString(e.xText), jsonString(e.yText));
                doc += QStringLiteral("\"z\": \"\"}");
            }
            doc += QStringLiteral("\n]}\n");
        }
        out << doc;
    } else {
        // Rows as the table shows them, in the order they were added.
        const SeriesTable &t = r.grid(series);
        out << "series,id,X,Y\n";
        for (int row = 1; row < t.rowCount(); ++row) {
            const double id = readPrefix(t.cell(row, SeriesTable::ColId));
            if (id < 1 || id > Reading::kMaxId || !isNew(int(id)))
                continue;
            out << series << ',' << int(id) << ',' << csvField(t.cell(row, SeriesTable::ColX)) << ','
                << csvField(t.cell(row, SeriesTable::ColY)) << "\n";
        }
        for (const Extra &e : extras)
            if (e.ok)
                out << series << ',' << e.id << ',' << csvField(e.xText) << ',' << csvField(e.yText) << "\n";
    }
    if (!saveTo.isEmpty()) {
        auto w = writeStateFile(saveTo, stateFileBytes(r));
        if (!w) {
            err << me << terminalText(w.error()) << "\n";
            return kExitWrite;
        }
    }
    return kExitOk;
}

} // namespace orv
