#pragma once
// The reading file (*.orvd): 263 CRLF lines with 15-character labels, code page
// 932, then one line of the axis modes ("Axis Mode     :X=Log,Y=Linear", which
// readers of the 263-line layout ignore), written by Save_State and read back by
// Load_State. Lines with unknown labels are ignored; a stray control byte is
// dropped from its line.
//
// Writing goes through a temporary file and an atomic rename, so a failed save
// never damages the previous file. Reading is in two steps: the file is first
// read and checked as a whole (size, line lengths, text, encoding) without
// touching the reading; only a file that passes replaces the current reading.

#include "model/reading.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <expected>
#include <optional>
#include <vector>

class QIODevice;

namespace orv {

// --- Texts --------------------------------------------------------------------
namespace statetext {
// Shown in the user's language with text().
inline QString text(const char *source) { return QCoreApplication::translate("Messages", source); }
inline constexpr char kOnlyAfterFrame[] = QT_TRANSLATE_NOOP("Messages", "枠線定義以降にのみ保存可能です。");
inline constexpr char kSaved[] = QT_TRANSLATE_NOOP("Messages", "保存しました。");
inline constexpr char kCommaInValue[] =
    QT_TRANSLATE_NOOP("Messages", "エラー！(No.1)(グラフの角の数値に「,」があります。)\r数値を修正してから保存して下さい。");
inline constexpr char kSaveTitle[] = QT_TRANSLATE_NOOP("Messages", "保存先を入力");
inline constexpr char kSaveFilter[] = QT_TRANSLATE_NOOP("Messages", "設定保存ファイル(*.orvd)|*.orvd");
inline constexpr char kOpenTitle[] = QT_TRANSLATE_NOOP("Messages", "状態設定ファイルを開く");
inline constexpr char kOpenFilter[] = QT_TRANSLATE_NOOP("Messages", "状態設定ファイル(*.orvd)|*.orvd");
inline constexpr char kBadPicture[] = QT_TRANSLATE_NOOP("Messages", "エラー！(No.1)(不正な画像ファイル又は、画像がありません。)");
} // namespace statetext

// --- Limits of the reader -------------------------------------------------------
inline constexpr qint64 kMaxStateFileBytes = 16 * 1024 * 1024;
inline constexpr qsizetype kMaxStateLineBytes = 64 * 1024;
// Files we write have five header lines; more than this many is not a reading file.
inline constexpr int kMaxStateHeaderLines = 64;

// --- Paths ------------------------------------------------------------------------
// The picture path as line 2 stores it: a picture inside the program's folder
// becomes "\" + its path below the folder with "\" separators; any other path is
// kept whole.
QString storedPicturePath(const QString &path, const QString &programFolder);
// The inverse: a stored path beginning with "\" is taken below the program's
// folder ("\" and "/" both separate); any other path is used as it stands.
QString resolvePicturePath(const QString &stored, const QString &programFolder);
// The picture label's text: the path below the program's folder, or the whole path.
QString displayPicturePath(const QString &path, const QString &programFolder);
// Last element of a path ("\" or "/" separated).
QString pathFileName(const QString &path);
// True for names whose extension (the text after the last "." of the file name,
// lower-cased) is "orvd", as the open paths decide.
bool isStateFilePath(const QString &path);

// --- Writing ------------------------------------------------------------------------
// The file's bytes for the reading as it stands. Code page 932; a reading holding
// text that code page 932 cannot represent is written in UTF-8 instead, so that
// nothing is lost (the reader accepts both).
QByteArray stateFileBytes(const Reading &reading);
// Writes through a temporary file renamed over `path`; on failure `path` is
// untouched and the error tells why (Japanese, for the message box).
std::expected<void, QString> writeStateFile(const QString &path, const QByteArray &bytes);
// True when all eight corner position boxes hold numbers: only such a frame is
// saved, as the reader refuses any other.
bool cornersAreNumbers(const CalibPanel &panel);
// Asks where to save and saves; true when the file was written. A picture that
// has no file (pasted from the clipboard) is saved first as NAME.png beside
// NAME.orvd (asking before replacing a file), and the reading then refers to it.
bool Save_State(Reading &reading);
// NAME.png for NAME.orvd; any other name gets ".png" appended.
QString picturePathBeside(const QString &statePath);

// --- Reading -----------------------------------------------------------------------
enum class StateLabel { GraphPicture, PictureSize, DefntStyle, DefntPoint, DefntPtVal, ArrayData, AxisMode };

struct StateLine {
    StateLabel label;
    QString rest; // the text after the 15-character label
};

enum class StateFileError {
    Missing,     // no such file
    NotAFile,    // a folder, device, FIFO ...
    Unreadable,  // cannot be opened or read
    TooLarge,    // more than kMaxStateFileBytes
    LineTooLong, // a line of more than kMaxStateLineBytes
    NotText,     // mostly control bytes, or text in neither UTF-8 nor code page 932
    NotStateFile // no line with a label of a reading file, or far too many
};

struct ParsedStateFile {
    // The lines with labels the reader acts on, in file order; at most 255
    // array lines (further ones are dropped and counted).
    std::vector<StateLine> lines;
    int droppedArrayLines = 0;
    // Control bytes dropped from lines with a known label.
    int droppedControlBytes = 0;
    bool utf8 = false;
    // The reading file's folder ("" for a device): a picture missing at its
    // recorded path is looked for here.
    QString folder;
    bool hasPictureLine() const;
};

// Reads and checks a whole file from a device; never reads more than
// kMaxStateFileBytes nor holds a line longer than kMaxStateLineBytes.
std::expected<ParsedStateFile, StateFileError> parseStateFile(QIODevice &device);
// The same from a path: a path that is not a regular file is refused unopened.
std::expected<ParsedStateFile, StateFileError> readStateFile(const QString &path);
// The message for a refused file.
QString stateFileErrorText(StateFileError e, const QString &path);

struct LoadOptions {
    // Off for headless jobs: the picture is neither decoded nor shown, and a
    // missing picture is reported in the result instead of stopping the load.
    bool openPicture = true;
    // Axis kinds that override the file's (and the current options).
    std::optional<AxisKind> xKind, yKind;
};

struct LoadReport {
    bool ok = false;
    bool pictureMissing = false;  // only with openPicture off
    int unconvertedPoints = 0;    // restored, but X/Y could not be computed
    int damagedRecords = 0;       // "TRUE" lines with an unusable series or position
    int droppedArrayLines = 0;    // array lines past ID 255
    int droppedControlBytes = 0;  // stray control bytes dropped from known lines
    bool badAxisMode = false;     // an axis mode line that could not be read
    QString pictureBeside;        // the picture found beside the reading file instead
    // The PDF page the picture line names is gone from its file (1-based; 0
    // when not): the reading opened without its picture.
    int missingPage = 0;
    int pageCount = 0;
    QString pdfFile; // the file of that page
};

// Puts a parsed file into a reading that has just been reset. Lines act in file
// order. Stops (reading reset, message shown) at a picture that cannot be opened
// or a frame line whose fields are not numbers. A PDF page that the file no
// longer has stops nothing: the frame and the points open without a picture.
LoadReport applyStateFile(Reading &reading, const ParsedStateFile &file, const LoadOptions &options = {});

// The note shown after a load that kept going past unusable points; "" when none.
QString loadWarningText(const LoadReport &report);

enum class LoadResult { Loaded, Cancelled, Failed };

// Opens a reading file. A file that cannot be read leaves the current reading
// as it is (message shown). Otherwise, when the reading has points, the tables'
// closing questions come first and a No cancels; then the reading is reset and
// the file's reading put in its place.
LoadResult Load_State(Reading &reading, const QString &path, const LoadOptions &options = {});
// Loads the picture of a reading file into the graph window: 0 when shown, 1
// when it could not be opened (message shown, graph window unloaded).
int Open_StatePic(Reading &reading, const QString &path);

// Entry points for the main window's open paths (menu, toolbar, double click,
// drop, command line): 0 loaded, 1 failed, 2 cancelled by the user.
int openReadingFile(Reading &reading, const QString &path);
// "状態設定ファイルを開く": the dialog, then openReadingFile; 2 when cancelled.
int openReadingFileDialog(Reading &reading);

} // namespace orv
