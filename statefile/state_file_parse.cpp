// The reading file's reader: lines, labels, encodings and stray bytes.
#include "statefile/state_file.h"

#include "model/file_io.h"

#include "model/pdf_source.h"
#include "model/picture.h"
#include "model/utilities.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "statefile/state_file_text.h"

namespace orv {

using namespace statefile_text;

namespace {

constexpr int kLabelLen = 15;

// Every label the reader knows; kind -1 marks the lines it recognises but skips.
struct LabelDef {
    const char *text;
    int kind;
};
constexpr LabelDef kLabels[] = {
    {"Orvalinetrix  :", -1},
    {"Graph Picture :", int(StateLabel::GraphPicture)},
    {"Picture Size  :", int(StateLabel::PictureSize)},
    {"Defnt.Style   :", int(StateLabel::DefntStyle)},
    {"Defnt.Point   :", int(StateLabel::DefntPoint)},
    {"Defnt.Pt.Val  :", int(StateLabel::DefntPtVal)},
    {"ReadPtCood.   :", -1},
    {" Array Data   :", int(StateLabel::ArrayData)},
    {"Axis Mode     :", int(StateLabel::AxisMode)},
};

// A file with more control bytes than one in ten is binary data, not a text
// with a few stray bytes (a UTF-16 text is half NULs, a picture about 11 %).
constexpr qint64 kBinaryControlShare = 10;


// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool validUtf8(const char *p, qsizetype n)
{
    const auto *s = reinterpret_cast<const unsigned char *>(p);
    const auto *e = s + n;
    while (s < e) {
        const unsigned char c = *s;
        if (c < 0x80) {
            ++s;
            continue;
        }
        int len;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (e - s < len)
            return false;
        for (int i = 1; i < len; ++i) {
            if ((s[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i] & 0x3F);
        }
        if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)))
            return false;
        if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))
            return false;
        s += len;
    }
    return true;
}

} // namespace

// --- Reading: the file ------------------------------------------------------------------

bool ParsedStateFile::hasPictureLine() const
{
    for (const StateLine &l : lines)
        if (l.label == StateLabel::GraphPicture)
            return true;
    return false;
}

std::expected<ParsedStateFile, StateFileError> parseStateFile(QIODevice &device)
{
    struct Pending {
        StateLabel label;
        QByteArray rest;
    };
    std::vector<Pending> pending;
    ParsedStateFile out;
    QByteArray line;
    line.reserve(256);
    bool allUtf8 = true, firstLine = true, skipLF = false, anyLabel = false;
    int arrays = 0, headers = 0;
    qint64 total = 0, controls = 0;
    int lineControls = 0; // dropped from the current line

    auto finishLine = [&]() -> bool {
        const char *d = line.constData();
        qsizetype n = line.size();
        if (firstLine) {
            firstLine = false;
            if (n >= 3 && std::memcmp(d, "\xEF\xBB\xBF", 3) == 0) {
                d += 3;
                n -= 3;
            }
        }
        if (allUtf8 && !validUtf8(d, n))
            allUtf8 = false;
        if (n >= kLabelLen) {
            for (const LabelDef &l : kLabels) {
                if (std::memcmp(d, l.text, kLabelLen) != 0)
                    continue;
                anyLabel = true;
                out.droppedControlBytes += lineControls;
                if (l.kind == int(StateLabel::ArrayData)) {
                    if (++arrays > Reading::kMaxId) {
                        ++out.droppedArrayLines;
                        break;
                    }
                } else if (l.kind >= 0 && ++headers > kMaxStateHeaderLines) {
                    return false;
                }
                if (l.kind >= 0)
                    pending.push_back({StateLabel(l.kind), QByteArray(d + kLabelLen, n - kLabelLen)});
                break;
            }
        }
        line.resize(0);
        lineControls = 0;
        return true;
    };

    char buf[64 * 1024];
    for (;;) {
        const qint64 got = device.read(buf, sizeof buf);
        if (got < 0)
            return std::unexpected(StateFileError::Unreadable);
        if (got == 0)
            break;
        total += got;
        if (total > kMaxStateFileBytes)
            return std::unexpected(StateFileError::TooLarge);
        qint64 i = 0;
        while (i < got) {
            if (skipLF) {
                skipLF = false;
                if (buf[i] == '\n') {
                    ++i;
                    continue;
                }
            }
            qint64 j = i;
            while (j < got && (static_cast<unsigned char>(buf[j]) >= 0x20 || buf[j] == '\t'))
                ++j;
            if (line.size() + (j - i) > kMaxStateLineBytes)
                return std::unexpected(StateFileError::LineTooLong);
            line.append(buf + i, qsizetype(j - i));
            i = j;
            if (i < got) {
                const char c = buf[i++];
                if (c != '\r' && c != '\n') {
                    // A stray control byte (a NUL, the old end-of-file mark
                    // 1A, a form feed ...) is dropped from its line.
                    ++controls;
                    ++lineControls;
                    continue;
                }
                if (!finishLine())
                    return std::unexpected(StateFileError::NotStateFile);
                skipLF = c == '\r';
            }
        }
    }
    if (controls * kBinaryControlShare > total)
        return std::unexpected(StateFileError::NotText);
    if (!line.isEmpty() && !finishLine())
        return std::unexpected(StateFileError::NotStateFile);
    if (!anyLabel)
        return std::unexpected(StateFileError::NotStateFile);

    out.utf8 = allUtf8;
    out.lines.reserve(pending.size());
    if (allUtf8) {
        for (Pending &p : pending)
            out.lines.push_back({p.label, lineSafe(QString::fromUtf8(p.rest))});
    } else {
        QStringDecoder sjis("Shift_JIS");
        if (!sjis.isValid())
            return std::unexpected(StateFileError::NotText);
        for (Pending &p : pending) {
            sjis.resetState();
            QString s = sjis.decode(p.rest);
            if (sjis.hasError())
                return std::unexpected(StateFileError::NotText);
            out.lines.push_back({p.label, lineSafe(s)});
        }
    }
    return out;
}

std::expected<ParsedStateFile, StateFileError> readStateFile(const QString &path)
{
    if (path.isEmpty())
        return std::unexpected(StateFileError::Missing);
    const QFileInfo info(path);
    if (!info.exists())
        return std::unexpected(StateFileError::Missing);
    // Folders, devices and FIFOs are refused before anything is opened: reading
    // /dev/zero or a FIFO would never end.
    if (!isRegularFile(path))
        return std::unexpected(StateFileError::NotAFile);
    if (info.size() > kMaxStateFileBytes)
        return std::unexpected(StateFileError::TooLarge);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::unexpected(StateFileError::Unreadable);
    auto parsed = parseStateFile(f);
    if (parsed)
        parsed->folder = info.absolutePath();
    return parsed;
}

QString stateFileErrorText(StateFileError e, const QString &path)
{
    QString why;
    switch (e) {
    case StateFileError::Missing: why = QCoreApplication::translate("Messages", "状態設定ファイルがありません。"); break;
    case StateFileError::NotAFile: why = QCoreApplication::translate("Messages", "通常のファイルではありません。"); break;
    case StateFileError::Unreadable: why = QCoreApplication::translate("Messages", "ファイルを読み込めません。"); break;
    case StateFileError::TooLarge: why = QCoreApplication::translate("Messages", "ファイルが大きすぎます。"); break;
    case StateFileError::LineTooLong: why = QCoreApplication::translate("Messages", "長すぎる行があります。"); break;
    case StateFileError::NotText: why = QCoreApplication::translate("Messages", "テキストファイルではありません。"); break;
    case StateFileError::NotStateFile: why = QCoreApplication::translate("Messages", "状態設定ファイルの形式ではありません。"); break;
    }
    return QCoreApplication::translate("Messages", "エラー！(No.1)(不正な状態設定ファイルです。%1)\r%2").arg(why, path);
}

} // namespace orv
