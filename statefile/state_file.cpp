#include "statefile/state_file.h"

#include "model/datetext.h"

#include "model/file_io.h"
#include "statefile/state_file_text.h"

#include "model/pdf_source.h"
#include "model/picture.h"
#include "model/picture_opening.h"
#include "model/utilities.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace orv {

using namespace statefile_text;

namespace {

const QString kSep = QStringLiteral(",");


QString trimmedFolder(const QString &programFolder)
{
    QString f = programFolder;
    while (f.size() > 1 && f.endsWith(u'/'))
        f.chop(1);
    return f;
}

// "prefix/" of paths inside the program's folder; empty when there is no folder.
QString folderPrefix(const QString &programFolder)
{
    const QString f = trimmedFolder(programFolder);
    if (f.isEmpty())
        return {};
    return f.endsWith(u'/') ? f : f + u'/';
}

// Holds back every table's view refresh while a file is put into the reading.
struct TableBatch {
    Reading &r;
    explicit TableBatch(Reading &reading) : r(reading)
    {
        for (int s = 1; s <= Reading::kSeriesCount; ++s)
            r.grid(s).beginUpdate();
    }
    ~TableBatch()
    {
        for (int s = 1; s <= Reading::kSeriesCount; ++s)
            r.grid(s).endUpdate();
    }
};

// "X=Log,Y=Linear" (or "Date"): sets the axes named; false when a part is not
// understood (the other parts still count).
bool parseAxisModes(const QString &text, std::optional<AxisKind> &xKind, std::optional<AxisKind> &yKind)
{
    bool ok = true;
    for (const QString &part : text.split(u',')) {
        const QString p = part.trimmed();
        if (p.isEmpty())
            continue;
        const qsizetype eq = p.indexOf(u'=');
        const QString axis = p.left(eq).trimmed().toUpper();
        const QString mode = p.mid(eq + 1).trimmed();
        std::optional<AxisKind> kind;
        if (mode.compare(u"Log", Qt::CaseInsensitive) == 0)
            kind = AxisKind::Log;
        else if (mode.compare(u"Linear", Qt::CaseInsensitive) == 0)
            kind = AxisKind::Linear;
        else if (mode.compare(u"Date", Qt::CaseInsensitive) == 0)
            kind = AxisKind::Date;
        if (eq < 0 || !kind || (axis != u"X" && axis != u"Y")) {
            ok = false;
            continue;
        }
        (axis == u"X" ? xKind : yKind) = kind;
    }
    return ok;
}

QString badCornersText()
{
    return QCoreApplication::translate("Messages", "エラー！(No.1)(枠線定義の座標が数値ではありません。)");
}

} // namespace

// --- Paths -------------------------------------------------------------------------

QString storedPicturePath(const QString &path, const QString &programFolder)
{
    const QString prefix = folderPrefix(programFolder);
    if (prefix.isEmpty() || !path.startsWith(prefix) || path.size() == prefix.size())
        return path;
    QString rest = path.mid(prefix.size());
    rest.replace(u'/', u'\\');
    return u'\\' + rest;
}

QString resolvePicturePath(const QString &stored, const QString &programFolder)
{
    if (!stored.startsWith(u'\\'))
        return stored;
    QString rest = stored;
    rest.replace(u'\\', u'/');
    QString folder = trimmedFolder(programFolder);
    if (folder.isEmpty())
        folder = QStringLiteral(".");
    else if (folder == u"/")
        folder.clear();
    return folder + rest;
}

QString displayPicturePath(const QString &path, const QString &programFolder)
{
    const QString prefix = folderPrefix(programFolder);
    if (prefix.isEmpty() || !path.startsWith(prefix))
        return path;
    return u'/' + path.mid(prefix.size());
}

QString pathFileName(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

bool isStateFilePath(const QString &path)
{
    return Get_Ext(pathFileName(path)).toLower() == u"orvd";
}

// --- Writing -------------------------------------------------------------------------

QByteArray stateFileBytes(const Reading &r)
{
    QString text;
    text.reserve(263 * 40);
    auto line = [&text](const QString &s) {
        text += s;
        text += u"\r\n";
    };
    line(QStringLiteral("Orvalinetrix  :Version ") + Reading::versionText());
    line(QStringLiteral("Graph Picture :") + lineSafe(storedPicturePath(r.GraphPic_Path, r.programFolder)));
    line(QStringLiteral("Picture Size  :") + plainNumText(r.graph.picAreaHeightTwips) + u',' +
         plainNumText(r.graph.picAreaWidthTwips));
    line(QStringLiteral("Defnt.Style   :") + r.panel.tabCaption());
    // The box texts of one line, joined by commas.
    auto boxes = [&](int count, auto text) {
        QStringList parts;
        for (int b = 0; b < count; ++b)
            parts << lineSafe(text(b));
        return parts.join(u',');
    };
    line(QStringLiteral("Defnt.Point   :") +
         boxes(CalibPanel::PosBoxCount, [&](int b) { return r.panel.pos(CalibPanel::PosBox(b)); }));
    // A date axis's values as serial days: a reader of the plain layout sees
    // numbers, never a half-read date.
    line(QStringLiteral("Defnt.Pt.Val  :") + boxes(CalibPanel::ValBoxCount, [&](int b) {
             const auto box = CalibPanel::ValBox(b);
             if (r.isDateAxis(CalibPanel::isXBox(box)))
                 if (auto v = r.panel.value(box))
                     return shortestNumText(*v);
             return r.panel.val(box);
         }));
    line(QStringLiteral("ReadPtCood.   :") + QString(44, u'*'));
    for (int id = 1; id <= Reading::kMaxId; ++id)
        line(QStringLiteral(" Array Data   :") + lineSafe(r.Pt_Array[size_t(id)]));
    line(QString(59, u'*'));
    // After the fixed layout, where readers of that layout ignore it: the axis
    // modes the points were read with.
    auto mode = [](AxisKind k) {
        return k == AxisKind::Log ? QStringLiteral("Log") : k == AxisKind::Date ? QStringLiteral("Date") : QStringLiteral("Linear");
    };
    line(QStringLiteral("Axis Mode     :X=") + mode(r.panel.xKind()) + QStringLiteral(",Y=") + mode(r.panel.yKind()));

    QStringEncoder sjis("Shift_JIS");
    if (sjis.isValid()) {
        QByteArray bytes = sjis.encode(text);
        if (!sjis.hasError())
            return bytes;
    }
    // A path or text outside code page 932: UTF-8 keeps it intact.
    return text.toUtf8();
}

std::expected<void, QString> writeStateFile(const QString &path, const QByteArray &bytes)
{
    auto written = writeFileSafely(path, bytes);
    if (!written)
        return std::unexpected(QCoreApplication::translate("Messages", "エラー！(No.3)(ファイルを保存できませんでした。") +
                               writeFailureReason(written.error()) + QStringLiteral(")\r") + path);
    return {};
}

bool cornersAreNumbers(const CalibPanel &panel)
{
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b) {
        auto v = readStrict(panel.pos(CalibPanel::PosBox(b)));
        if (!v || !std::isfinite(float(*v)))
            return false;
    }
    return true;
}

QString picturePathBeside(const QString &statePath)
{
    if (isStateFilePath(statePath))
        return statePath.left(statePath.lastIndexOf(u'.')) + QStringLiteral(".png");
    return statePath + QStringLiteral(".png");
}

static bool savePastedPicture(Reading &r, const QString &statePath)
{
    const QString png = picturePathBeside(statePath);
    if (QFileInfo::exists(png) &&
        !r.port().askYesNo(QCoreApplication::translate("Messages", "%1 は既に存在します。\r置き換えますか？").arg(png), QStringLiteral("Notice!")))
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !r.graph.picture().save(&buffer, "PNG")) {
        r.port().message(QCoreApplication::translate("Messages", "エラー！(No.3)(画像を保存できませんでした。)\r") + png);
        return false;
    }
    if (auto w = writeStateFile(png, bytes); !w) {
        r.port().message(w.error());
        return false;
    }
    // From now on the reading has a picture file, like one opened from a file.
    r.GraphPic_Path = png;
    r.setPicLabel(displayPicturePath(png, r.programFolder), png);
    return true;
}

bool Save_State(Reading &r)
{
    if (!r.Dfnt_Done) {
        r.port().message(statetext::text(statetext::kOnlyAfterFrame));
        return false;
    }
    // A corner typed as something other than a number would make a file that
    // cannot be opened again.
    if (!cornersAreNumbers(r.panel)) {
        r.port().message(badCornersText() + QCoreApplication::translate("Messages", "\r座標を修正してから保存して下さい。"));
        return false;
    }
    // The values share one comma-separated line: "1,000" would shift every
    // later value on reading and reopen a different frame without a word.
    for (int b = 0; b < CalibPanel::ValBoxCount; ++b) {
        if (r.panel.val(CalibPanel::ValBox(b)).contains(u',')) {
            r.port().message(statetext::text(statetext::kCommaInValue));
            return false;
        }
    }
    const QString path = r.port().saveFileName(statetext::text(statetext::kSaveTitle),
                                               statetext::text(statetext::kSaveFilter));
    if (path.isEmpty())
        return false;
    if (r.GraphPic_Path.isEmpty() && r.graph.loaded() && !savePastedPicture(r, path))
        return false;
    auto written = writeStateFile(path, stateFileBytes(r));
    if (!written) {
        r.port().message(written.error());
        return false;
    }
    r.history().setClean();
    r.port().message(statetext::text(statetext::kSaved));
    return true;
}


// --- Reading: into the reading ---------------------------------------------------------

int Open_StatePic(Reading &r, const QString &path)
{
    r.setPicLabel(displayPicturePath(path, r.programFolder), path);
    // As fast as a picture opened on its own: a reduced decode first.
    auto picture = decodeForShowing(path);
    if (!picture) {
        r.port().message(picture.error() == PictureError::Protected ? protectedPdfText()
                                                                    : statetext::text(statetext::kBadPicture));
        r.unloadGraph();
        return 1;
    }
    // The natural size until the zoom view measures it on pictureShown.
    r.Pic_Width = picture->natural.width();
    r.Pic_Height = picture->natural.height();
    r.showPicture(picture->image, picture->natural, pathFileName(path));
    if (picture->reduced())
        decodeWholeLater(r, path, picture->image);
    r.Show_GridForm(1);
    r.setStatusText(Reading::defineFrameText());
    return 0;
}

LoadReport applyStateFile(Reading &r, const ParsedStateFile &file, const LoadOptions &options)
{
    LoadReport report;
    report.droppedArrayLines = file.droppedArrayLines;
    report.droppedControlBytes = file.droppedControlBytes;
    report.pictureMissing = !options.openPicture && !file.hasPictureLine();
    TableBatch batch(r);

    auto fail = [&r] {
        r.unloadGraph();
        r.Reset_Reading(false);
    };

    // The axis modes come first: the points are converted with them. The
    // option is set as it stands, without the Log check's question about the
    // lower-left value (the file's values are restored as they were saved).
    std::optional<AxisKind> xKind, yKind;
    for (const StateLine &l : file.lines)
        if (l.label == StateLabel::AxisMode && !parseAxisModes(l.rest, xKind, yKind))
            report.badAxisMode = true;
    if (options.xKind)
        xKind = options.xKind;
    if (options.yKind)
        yKind = options.yKind;
    if (xKind)
        r.panel.setXKind(*xKind);
    if (yKind)
        r.panel.setYKind(*yKind);

    int n = 0; // array lines so far = the ID of the next one
    for (const StateLine &l : file.lines) {
        switch (l.label) {
        case StateLabel::AxisMode:
            break; // applied before the other lines

        case StateLabel::GraphPicture:
            r.GraphPic_Path = resolvePicturePath(l.rest, r.programFolder);
            // A reading and its picture moved together: the picture is beside
            // the reading file, under the file name it was saved with.
            if (!pictureSourceExists(r.GraphPic_Path) && !file.folder.isEmpty()) {
                const QString name = pathFileName(l.rest);
                const QString beside = file.folder + u'/' + name;
                if (!name.isEmpty() && name != u"." && name != u".." && pictureSourceExists(beside)) {
                    r.GraphPic_Path = beside;
                    report.pictureBeside = beside;
                }
            }
            if (const auto gone = missingPdfPage(r.GraphPic_Path)) {
                // The points are the user's work; the page may come back (an
                // older copy of the file), and the reading keeps naming it.
                report.missingPage = gone->page + 1;
                report.pageCount = gone->pageCount;
                report.pdfFile = splitPictureSource(r.GraphPic_Path).file;
                if (options.openPicture) {
                    r.unloadGraph();
                    r.setPicLabel(displayPicturePath(r.GraphPic_Path, r.programFolder), r.GraphPic_Path);
                }
            } else if (options.openPicture) {
                if (Open_StatePic(r, r.GraphPic_Path) != 0) {
                    r.Reset_Reading(false);
                    return report;
                }
            } else {
                report.pictureMissing = !pictureSourceExists(r.GraphPic_Path);
            }
            break;

        case StateLabel::PictureSize:
            if (!pictureSourceExists(r.GraphPic_Path) || report.missingPage) {
                auto h = readStrict(Reading::Get_Field(l.rest, kSep, 0));
                auto w = readStrict(Reading::Get_Field(l.rest, kSep, 1));
                if (h && w && std::isfinite(float(*h)) && std::isfinite(float(*w)) && *h >= 0 && *w >= 0) {
                    r.graph.picAreaHeightTwips = float(*h);
                    r.graph.picAreaWidthTwips = float(*w);
                }
            }
            break;

        case StateLabel::DefntStyle: {
            // Any other caption reads as four corners, as before the projective mode.
            const int tab = CalibPanel::tabOfCaption(l.rest);
            r.panel.selectTab(tab == 0 ? 2 : tab);
            break;
        }

        case StateLabel::DefntPoint: {
            QString f[CalibPanel::PosBoxCount];
            float v[CalibPanel::PosBoxCount];
            for (int b = 0; b < CalibPanel::PosBoxCount; ++b) {
                f[b] = Reading::Get_Field(l.rest, kSep, b);
                auto num = readStrict(f[b]);
                if (!num || !std::isfinite(float(*num))) {
                    r.port().message(badCornersText());
                    fail();
                    return report;
                }
                v[b] = float(*num);
            }
            for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
                r.panel.setPos(CalibPanel::PosBox(b), f[b]);
            // In the diagonal mode the panel has replaced LU and RL by the
            // derived corners; the markers follow the boxes.
            for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
                v[b] = float(readPrefix(r.panel.pos(CalibPanel::PosBox(b))));
            r.setDfntDone(true);
            const bool four = !r.panel.isDiagonal();
            for (int c = 0; c < 4; ++c) {
                Marker m;
                m.left = v[2 * c] - r.graph.markerWidth / 2;
                m.top = v[2 * c + 1] + r.graph.markerHeight / 2;
                m.visible = four || c == LL || c == RU;
                r.graph.setDfnt(c, m);
            }
            break;
        }

        case StateLabel::DefntPtVal:
            for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
                r.panel.setVal(CalibPanel::ValBox(b), Reading::Get_Field(l.rest, kSep, b));
            // The serial days of a date axis are shown as dates.
            r.panel.showDateValues(true);
            r.panel.showDateValues(false);
            break;

        case StateLabel::ArrayData: {
            const int id = ++n;
            if (id > Reading::kMaxId)
                break; // the parser keeps no more; this is a second guard
            const QString &rec = l.rest;
            const QString f0 = Reading::Get_Field(rec, kSep, 0);
            if (f0 != u"TRUE") {
                // The reading was cleared: free IDs are free already.
                if (f0 != u"FALSE")
                    ++report.damagedRecords;
                break;
            }
            const double sv = readPrefix(Reading::Get_Field(rec, kSep, 1));
            const float x = float(readPrefix(Reading::Get_Field(rec, kSep, 2)));
            const float y = float(readPrefix(Reading::Get_Field(rec, kSep, 3)));
            const double series = std::nearbyint(sv);
            if (!(series >= 1 && series <= Reading::kSeriesCount) || !std::isfinite(x) || !std::isfinite(y)) {
                ++report.damagedRecords;
                break;
            }
            const int s = int(series);
            const bool converted = r.Conv_Pt(x, y).has_value() && std::isfinite(r.Conv_X) && std::isfinite(r.Conv_Y);
            r.Put_PtImage(s, x, y, id);
            r.Set_GridPt(s, QStringLiteral("Add"), id);
            SeriesTable &t = r.grid(s);
            const int row = t.rowCount() - 1;
            if (!converted) {
                ++report.unconvertedPoints;
                t.setCell(row, SeriesTable::ColX, QString());
                t.setCell(row, SeriesTable::ColY, QString());
            }
            // The Z the user typed: a record without a fifth field has none.
            const QString z = rec.count(u',') >= 4 ? Reading::Get_Field(rec, kSep, 4) : QStringLiteral("0");
            r.Pt_Array[size_t(id)] = QStringLiteral("TRUE,%1,%2,%3,%4").arg(s).arg(plainNumText(x), plainNumText(y), z);
            // "0" is what every new point carries before a Z is typed; its cell stays empty.
            if (z != u"0")
                t.setCell(row, SeriesTable::ColZ, z);
            r.graph.setPickToolTip(id, r.markerToolTip(s, id, t.cell(row, SeriesTable::ColX),
                                                       t.cell(row, SeriesTable::ColY), z));
            break;
        }
        }
    }
    // The outline follows the loaded corners; without this the previous
    // reading's outline would stay on the picture until the next click.
    // A reading with its frame complete has nothing left to define.
    if (r.graph.loaded()) {
        r.Draw_Frame();
        r.setStatusText(r.Dfnt_Done ? Reading::readPointsText() : Reading::defineFrameText());
    }
    report.ok = true;
    return report;
}

QString loadWarningText(const LoadReport &rep)
{
    QStringList parts;
    if (!rep.pictureBeside.isEmpty())
        parts << QCoreApplication::translate("Messages", "記録された場所に画像がないため、状態設定ファイルと同じフォルダの画像を開きました。\r%1")
                     .arg(rep.pictureBeside);
    if (rep.missingPage)
        parts << QCoreApplication::translate("Messages", "PDFファイルに %1 ページ目がありません(全 %2 ページ)。画像なしで枠線定義と点のデータを開きました。\r%3")
                     .arg(rep.missingPage)
                     .arg(rep.pageCount)
                     .arg(QDir::toNativeSeparators(rep.pdfFile));
    if (rep.badAxisMode)
        parts << QCoreApplication::translate("Messages", "エラー！(No.2)(軸の種類(Linear/Log)を読み取れませんでした。選択中の種類で変換しました。)");
    if (rep.unconvertedPoints)
        parts << QCoreApplication::translate("Messages", "エラー！(No.2)(X、Yの値に変換できない点がありました。(%1点))\r"
                                "枠線定義の値を確認して、再読出しを行って下さい。")
                     .arg(rep.unconvertedPoints);
    if (rep.damagedRecords)
        parts << QCoreApplication::translate("Messages", "エラー！(No.2)(読み込めない点のデータを無視しました。(%1行))").arg(rep.damagedRecords);
    if (rep.droppedArrayLines)
        parts << QCoreApplication::translate("Messages", "ID255を超える点のデータを無視しました。(%1行)").arg(rep.droppedArrayLines);
    if (rep.droppedControlBytes)
        parts << QCoreApplication::translate("Messages", "ファイル中の制御文字を取り除きました。(%1文字)").arg(rep.droppedControlBytes);
    return parts.join(u'\r');
}

LoadResult Load_State(Reading &r, const QString &path, const LoadOptions &options)
{
    // The file is read and checked before the current reading is touched.
    auto parsed = readStateFile(path);
    if (!parsed) {
        r.port().message(stateFileErrorText(parsed.error(), path));
        return LoadResult::Failed;
    }
    if (options.openPicture && !parsed->hasPictureLine()) {
        r.port().message(statetext::text(statetext::kBadPicture));
        return LoadResult::Failed;
    }
    // Line n of the file becomes point n: the current points must go first.
    // The unsaved-changes question, or else (unmodified) the tables' closing questions.
    if (!r.confirmDiscardChanges(r.hasPoints()))
        return LoadResult::Cancelled;
    History::Suspend quiet(r.history());
    r.Reset_Reading(false);
    for (int c = 0; c < 4; ++c)
        r.graph.setDfntVisible(c, false);
    r.graph.hideRings();
    r.Sel_PtNo = -1;
    r.Sel_DfntNo = -1;

    const LoadReport rep = applyStateFile(r, *parsed, options);
    // Another reading: nothing to take back, nothing unsaved.
    r.history().clear();
    if (!rep.ok)
        return LoadResult::Failed;
    const QString warn = loadWarningText(rep);
    if (!warn.isEmpty())
        r.port().message(warn);
    return LoadResult::Loaded;
}

int openReadingFile(Reading &r, const QString &path)
{
    switch (Load_State(r, path)) {
    case LoadResult::Loaded: return 0;
    case LoadResult::Failed: return 1;
    case LoadResult::Cancelled: return 2;
    }
    return 1;
}

int openReadingFileDialog(Reading &r)
{
    const QString path = r.port().openFileName(statetext::text(statetext::kOpenTitle),
                                               statetext::text(statetext::kOpenFilter));
    if (path.isEmpty())
        return 2;
    return openReadingFile(r, path);
}

} // namespace orv
