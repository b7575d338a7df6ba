#pragma once
// Shared by the reading file's writer and its reader.

#include <QString>
#include <algorithm>

namespace orv::statefile_text {

// Texts in the file and in the reading carry no control characters: a Z text
// can pick them up through the table's filter, and code page 932 turns the
// byte 7F into one. They would break a line or come back different.
inline bool isControl(QChar c) { return (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F; }

inline QString lineSafe(const QString &s)
{
    if (std::none_of(s.begin(), s.end(), isControl))
        return s;
    QString out;
    out.reserve(s.size());
    for (QChar c : s)
        if (!isControl(c))
            out += c;
    return out;
}

} // namespace orv::statefile_text
