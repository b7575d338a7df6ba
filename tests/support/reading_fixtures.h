#pragma once
// Readings in a known state for tests: a complete diagonal frame and points
// added the way a click adds them.

#include "model/reading.h"

namespace orv::testing {

// Corners at 0.1 and 0.9 of the picture, X 0..xMax and Y 0..yMax, linear;
// the frame counts as complete.
inline void setDiagonalFrame(Reading &r, const char *xMax = "10", const char *yMax = "100")
{
    const char *v[8] = {"0.1", "0.1", "0.1", "0.9", "0.9", "0.9", "0.9", "0.1"};
    for (int i = 0; i < 8; ++i)
        r.panel.setPos(CalibPanel::PosBox(i), QString::fromLatin1(v[i]));
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("0"));
    r.panel.setVal(CalibPanel::LLY_VLText, QStringLiteral("0"));
    r.panel.setVal(CalibPanel::RUX_VLText, QString::fromLatin1(xMax));
    r.panel.setVal(CalibPanel::RUY_VLText, QString::fromLatin1(yMax));
    r.setDfntDone(true);
}

// The calls a click on the picture makes; returns the new ID (0 when none was
// free or the frame cannot convert).
inline int addPoint(Reading &r, int series, float x, float y)
{
    if (!r.Conv_Pt(x, y))
        return 0;
    const int id = r.Get_FreePtNo();
    r.Put_PtImage(series, x, y, id);
    if (id)
        r.Set_GridPt(series, QStringLiteral("Add"), id);
    return id;
}

} // namespace orv::testing
