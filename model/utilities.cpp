#include "model/utilities.h"

#include "model/language.h"
#include "model/numtext.h"
#include "model/reading.h"

#include <QColor>
#include <filesystem>
#include <system_error>

namespace orv {

void Hilight_DfntBox(CalibPanel &panel, CalibPanel::PosBox a, CalibPanel::PosBox b, bool flag)
{
    // Each box gets its final colour once, and only a change is announced:
    // on every pointer move the highlighted pair is not repainted again.
    for (int i = 0; i < CalibPanel::PosBoxCount; ++i)
        panel.setHighlighted(CalibPanel::PosBox(i), flag && (i == a || i == b));
}

QString Get_FileName(Reading &reading, const QString &title, const QString &filter, const QString &folder)
{
    return folder.isEmpty() ? reading.port().openFileName(title, filter)
                            : reading.port().openFileNameIn(folder, title, filter);
}

QString Split_Path(const QString &path, int mode)
{
    qsizetype last = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (path[i] == u'\\' || path[i] == u'/') {
            last = i;
            break;
        }
    }
    switch (mode) {
    case 1:
        return path.mid(last + 1);
    case 2:
        return last < 0 ? QString() : path.left(last);
    case 3:
        return last < 0 ? QString() : path.left(last + 1);
    default:
        return QString();
    }
}

QString Get_Ext(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.mid(dot + 1);
}

bool File_Exists(const QString &path)
{
    if (path.isEmpty() || path.contains(u'*') || path.contains(u'?'))
        return false;
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(std::filesystem::path(path.toStdString()), ec);
    return regular && !ec;
}

double Max_Val(const QString &a, const QString &b)
{
    const double va = readPrefix(a), vb = readPrefix(b);
    return va > vb ? va : vb;
}

bool Check_NumText(QString &text, int &caret)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool misplacedMinus = c == u'-' && i != 0;
        // Control characters (a pasted line break or tab) and the comma would split
        // the point record and the CSV line.
        const bool forbidden = c <= 44 || c == u'/' || c > u'9';
        if (!misplacedMinus && !forbidden)
            continue;
        // A character outside the basic plane is one character to the user:
        // remove both halves, never leave half a pair behind.
        const qsizetype n = (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        text.remove(i, n);
        caret = int(text.size());
        return true;
    }
    return false;
}

int Pick_Color(DesktopPort &port)
{
    const std::optional<QColor> c = port.chooseColor(QColor(0, 0, 0));
    if (!c || !c->isValid())
        return 0;
    const QColor rgb = c->toRgb();
    const qint64 value = qint64(rgb.red()) + 256 * qint64(rgb.green()) + 65536 * qint64(rgb.blue());
    return value > 0xFFFFFF ? -2 : int(value);
}

int Pick_Color(Reading &reading) { return Pick_Color(reading.port()); }

QColor colorFromValue(int value)
{
    if (value < 0 || value > 0xFFFFFF)
        return QColor();
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QString helpDocumentPath(const Reading &reading)
{
    // The help of the language the windows speak.
    return reading.programFolder + (currentLanguage() == Language::English ? QStringLiteral("/Help/Help_en.pdf")
                                                                           : QStringLiteral("/Help/Help.pdf"));
}

void Show_Help(Reading &reading)
{
    (void)reading.port().openDocument(helpDocumentPath(reading));
}

} // namespace orv
