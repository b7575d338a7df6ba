#include "model/datetext.h"
#include "model/frame_map.h"
#include "model/reading.h"

#include <cmath>

namespace orv {

QString Reading::formatDateValue(bool xAxis, double v, const QString &pattern) const
{
    if (pattern == u"AUTO") {
        const auto a = panel.value(xAxis ? CalibPanel::LLX_VLText : CalibPanel::LLY_VLText);
        const auto b = panel.value(xAxis ? CalibPanel::RUX_VLText : CalibPanel::RUY_VLText);
        const double span = a && b ? *b - *a : std::nan("");
        return formatDate(v, autoDatePattern(span, panel.timesOnly(xAxis)));
    }
    if (isDatePattern(pattern))
        return formatDate(v, pattern);
    // A number pattern shows the serial days themselves.
    return formatPattern(v, pattern);
}

std::optional<double> Reading::pointValue(int id, bool xAxis) const
{
    if (id < 1 || id > kMaxId)
        return std::nullopt;
    const QString &rec = Pt_Array[size_t(id)];
    const QString sep = QStringLiteral(",");
    if (Get_Field(rec, sep, 0) != u"TRUE")
        return std::nullopt;
    const auto x = readStrict(Get_Field(rec, sep, 2)), y = readStrict(Get_Field(rec, sep, 3));
    if (!x || !y)
        return std::nullopt;
    double vx = 0, vy = 0;
    if (!frameMap(panel).toValue(panel, float(*x), float(*y), vx, vy))
        return std::nullopt;
    return xAxis ? vx : vy;
}

std::optional<double> Reading::cellValue(const SeriesTable &t, int row, int col) const
{
    if (row < 1 || row >= t.rowCount())
        return std::nullopt;
    const QString &text = t.cell(row, col);
    const bool xAxis = col == SeriesTable::ColX;
    if ((col == SeriesTable::ColX || col == SeriesTable::ColY) && isDateAxis(xAxis)) {
        if (text.trimmed().isEmpty())
            return std::nullopt; // a point the frame could not convert
        const auto id = readStrict(t.cell(row, SeriesTable::ColId));
        if (id && *id == std::floor(*id))
            if (auto v = pointValue(int(*id), xAxis))
                return v;
        if (auto v = readDateValue(text))
            return *v;
        return std::nullopt;
    }
    return readPrefix(text);
}

double Reading::dateOrigin(bool xAxis) const
{
    if (!isDateAxis(xAxis))
        return 0;
    const auto v = panel.value(xAxis ? CalibPanel::LLX_VLText : CalibPanel::LLY_VLText);
    return v ? *v : 0;
}

} // namespace orv
