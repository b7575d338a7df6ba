#include "autocal/calibrate_cli.h"

#include "autocal/calibrate.h"
#include "autocal/pdf_text.h"
#include "graphwin/graph_form.h"
#include "model/pdf_source.h"
#include "model/picture.h"
#include "statefile/export_cli.h"
#include "statefile/state_file.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace orv::autocal {

namespace {

constexpr int kExitOk = 0, kExitPicture = 1, kExitUsage = 2, kExitNotFound = 3, kExitWrite = 4;
const char *const kCornerNames[] = {"LL", "LU", "RU", "RL"};

QString modeName(int tab)
{
    return tab == 1 ? QStringLiteral("diagonal") : tab == 2 ? QStringLiteral("four-point") : QStringLiteral("projective");
}

QString num(double v, int decimals = 3) { return QString::number(v, 'f', decimals); }

QPointF normalisedCorner(const Calibration &c, int i)
{
    const QPointF p = c.corner[size_t(i)];
    return QPointF(p.x() / c.size.width(), 1.0 - p.y() / c.size.height());
}

QJsonObject axisJson(const AxisResult &a)
{
    QJsonObject o;
    o[QStringLiteral("found")] = a.found;
    if (!a.found)
        return o;
    o[QStringLiteral("sure")] = a.sure;
    o[QStringLiteral("mode")] = a.log ? QStringLiteral("log") : QStringLiteral("linear");
    o[QStringLiteral("low")] = a.lowText;
    o[QStringLiteral("high")] = a.highText;
    o[QStringLiteral("residualPx")] = std::round(a.rmsPx * 1000) / 1000;
    o[QStringLiteral("labelsUsed")] = a.used;
    return o;
}

QString jsonReport(const QString &picture, const Calibration &c)
{
    QJsonObject root;
    root[QStringLiteral("picture")] = picture;
    root[QStringLiteral("width")] = c.size.width();
    root[QStringLiteral("height")] = c.size.height();
    if (c.frameFound) {
        QJsonObject frame, px, norm;
        frame[QStringLiteral("mode")] = modeName(c.tab);
        frame[QStringLiteral("fullBox")] = c.fullBox;
        for (int i = 0; i < 4; ++i) {
            const QPointF p = c.corner[size_t(i)], n = normalisedCorner(c, i);
            px[QLatin1String(kCornerNames[i])] = QJsonArray{std::round(p.x() * 1000) / 1000, std::round(p.y() * 1000) / 1000};
            norm[QLatin1String(kCornerNames[i])] = QJsonArray{plainNumText(float(n.x())), plainNumText(float(n.y()))};
        }
        frame[QStringLiteral("corners")] = px;
        frame[QStringLiteral("normalised")] = norm;
        root[QStringLiteral("frame")] = frame;
    } else {
        root[QStringLiteral("frame")] = QJsonValue::Null;
    }
    QJsonObject axes;
    axes[QStringLiteral("X")] = axisJson(c.x);
    axes[QStringLiteral("Y")] = axisJson(c.y);
    root[QStringLiteral("axes")] = axes;
    root[QStringLiteral("secondYAxisRight")] = c.rightAxis;
    QJsonArray labels;
    for (const FoundLabel &l : c.labels) {
        QJsonObject o;
        o[QStringLiteral("axis")] = axisName(l.axis);
        o[QStringLiteral("box")] = QJsonArray{std::round(l.box.x() * 10) / 10, std::round(l.box.y() * 10) / 10,
                                              std::round(l.box.width() * 10) / 10, std::round(l.box.height() * 10) / 10};
        o[QStringLiteral("text")] = l.text;
        o[QStringLiteral("value")] = l.value ? QJsonValue(*l.value) : QJsonValue(QJsonValue::Null);
        o[QStringLiteral("confidence")] = std::round(l.confidence);
        o[QStringLiteral("residualPx")] = l.residualPx >= 0 ? QJsonValue(std::round(l.residualPx * 1000) / 1000)
                                                            : QJsonValue(QJsonValue::Null);
        o[QStringLiteral("used")] = l.used;
        labels.append(o);
    }
    root[QStringLiteral("labels")] = labels;
    if (!c.complete())
        root[QStringLiteral("missing")] = missingTextEnglish(c.missing);
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

QString textReport(const QString &picture, const Calibration &c)
{
    QString t;
    QTextStream s(&t);
    s << "picture: " << picture << " (" << c.size.width() << " x " << c.size.height() << ")\n";
    if (!c.frameFound) {
        s << "frame: not found\n";
    } else {
        s << "frame: " << modeName(c.tab) << (c.fullBox ? " (full box)" : " (left and bottom axes)") << "\n";
        s << "corners (picture pixels):";
        for (int i = 0; i < 4; ++i)
            s << "  " << kCornerNames[i] << " " << num(c.corner[size_t(i)].x()) << "," << num(c.corner[size_t(i)].y());
        s << "\ncorners (normalised):";
        for (int i = 0; i < 4; ++i) {
            const QPointF n = normalisedCorner(c, i);
            s << "  " << kCornerNames[i] << " " << plainNumText(float(n.x())) << "," << plainNumText(float(n.y()));
        }
        s << "\n";
    }
    for (const auto &[name, a] : {std::pair{"X", &c.x}, std::pair{"Y", &c.y}}) {
        s << name << " axis: ";
        if (!a->found) {
            s << "not found\n";
            continue;
        }
        s << a->lowText << " .. " << a->highText << ", " << (a->log ? "log" : "linear") << ", "
          << (a->sure ? "sure" : "unsure") << ", residual " << num(a->rmsPx) << " px, " << a->used << " labels used\n";
    }
    if (c.rightAxis)
        s << "a second Y axis on the right is not used\n";
    s << "labels:\n";
    for (const FoundLabel &l : c.labels) {
        s << "  " << axisName(l.axis).leftJustified(3) << "box " << num(l.box.x(), 1) << "," << num(l.box.y(), 1) << " "
          << num(l.box.width(), 1) << "x" << num(l.box.height(), 1) << "  text \"" << l.text << "\"  value "
          << (l.value ? QString::number(*l.value, 'g', 12) : QStringLiteral("-")) << "  confidence "
          << int(std::lround(l.confidence)) << "  residual "
          << (l.residualPx >= 0 ? num(l.residualPx) + QStringLiteral(" px") : QStringLiteral("-")) << "  "
          << (l.used ? "used" : "left out") << "\n";
    }
    if (!c.complete())
        s << "missing: " << missingTextEnglish(c.missing) << "\n";
    return t;
}

} // namespace

QString calibrateHelpText()
{
    return QStringLiteral(
        "Usage: orvalinetrix calibrate PICTURE [--page N] [--save OUT.orvd] [--format text|json]\n"
        "Finds the chart's frame, reads the numbers at its axis ticks and works out\n"
        "the calibration (frame mode, corners, corner values, linear or log axes)\n"
        "without opening a window.\n"
        "\n"
        "  PICTURE            a chart picture or a PDF file (FILE.pdf#page=N also works)\n"
        "  --page N           the page of a PDF file, from 1\n"
        "  --save OUT.orvd    write a reading with this calibration and no points\n"
        "  --format text|json text (default) or JSON with the same names\n"
        "  --help             show this help\n"
        "\n"
        "Prints the frame (mode; corners LL, LU, RU, RL in picture pixels, y down,\n"
        "and normalised as stored), each axis's values, mode, residual and whether\n"
        "it is sure (three or more labels agree within half a pixel) or unsure (two),\n"
        "and every label read (box, text, value, confidence, residual, used or left\n"
        "out). Labels of a PDF page whose text is text are read from the page itself.\n"
        "\n"
        "Exit status: 0 both axes found, 1 the picture could not be read, 2 wrong\n"
        "arguments, 3 no chart axes found or only one (nothing saved), 4 the --save\n"
        "file could not be written.\n");
}

int runCalibrateCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString me = QStringLiteral("orvalinetrix calibrate: ");
    auto usage = [&](const QString &why) {
        err << me << why << "\n" << "Try 'orvalinetrix calibrate --help'.\n";
        return kExitUsage;
    };
    QString picture, saveTo;
    int page = 0;
    bool json = false;
    for (ArgCursor c(args); c.next();) {
        const QString &a = c.name(), &value = c.value();
        if (a == u"--help" || a == u"-h") {
            out << calibrateHelpText();
            return kExitOk;
        } else if (a == u"--page") {
            if (!c.takeValue())
                return usage(QStringLiteral("--page needs a value"));
            bool ok = false;
            page = value.toInt(&ok);
            if (!ok || page < 1)
                return usage(QStringLiteral("--page must be a page number from 1, not ") + value);
        } else if (a == u"--save") {
            if (!c.takeValue() || value.isEmpty())
                return usage(QStringLiteral("--save needs a file name"));
            saveTo = value;
        } else if (a == u"--format") {
            if (!c.takeValue())
                return usage(QStringLiteral("--format needs a value"));
            if (value != u"text" && value != u"json")
                return usage(QStringLiteral("--format must be text or json, not ") + value);
            json = value == u"json";
        } else if (a.startsWith(u"-") && a.size() > 1) {
            return usage(QStringLiteral("unknown option ") + c.raw());
        } else if (picture.isEmpty()) {
            picture = c.raw();
        } else {
            return usage(QStringLiteral("only one picture, not also ") + c.raw());
        }
    }
    if (picture.isEmpty())
        return usage(QStringLiteral("no picture given"));
    PictureSource src = splitPictureSource(picture);
    if (page > 0) {
        if (!isPdfFile(src.file))
            return usage(QStringLiteral("--page belongs to a PDF file"));
        src.page = page - 1;
        src.explicitPage = true;
    }
    src.file = QFileInfo(src.file).absoluteFilePath();
    const QString path = isPdfFile(src.file) && (src.explicitPage || src.page > 0) ? joinPictureSource(src.file, src.page)
                                                                                   : src.file;
    auto image = decodePicture(path);
    if (!image) {
        err << me << "cannot read the picture " << path << "\n";
        return kExitPicture;
    }
    QString why;
    std::unique_ptr<OcrEngine> engine = tesseractEngine(&why);
    if (isPdfFile(src.file)) {
        // The page's own text first; Tesseract (when it starts) for what is not text.
        engine = pdfTextEngine(src.file, src.page, QSizeF(image->size()), std::move(engine));
    }
    if (!engine) {
        err << me << "cannot read labels: the OCR data for English is missing (" << ocrDataHint() << ")\n";
        return kExitPicture;
    }
    auto cal = calibrate(*image, *engine);
    if (!cal) {
        err << me << "cannot read the picture " << path << "\n";
        return kExitPicture;
    }
    out << (json ? jsonReport(path, *cal) : textReport(path, *cal));
    if (!cal->complete()) {
        err << me << missingTextEnglish(cal->missing) << "\n";
        return kExitNotFound;
    }
    if (!saveTo.isEmpty()) {
        HeadlessReading h{QString()};
        Reading &r = h.r;
        // The picture by its absolute path, whatever folder the program is in.
        r.programFolder.clear();
        r.GraphPic_Path = path;
        Graph_Form(r).setPictureSize(image->width(), image->height());
        r.Pic_Width = image->width();
        r.Pic_Height = image->height();
        applyToPanel(*cal, r.panel);
        if (auto w = writeStateFile(saveTo, stateFileBytes(r)); !w) {
            err << me << w.error() << "\n";
            return kExitWrite;
        }
    }
    return kExitOk;
}

} // namespace orv::autocal
