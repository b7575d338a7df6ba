#pragma once
// Pictures drawn for this program: the toolbar icons, the splash artwork and
// the hint pictures of the two frame definition modes.

#include <QIcon>
#include <QImage>
#include <QString>

namespace orv {

// The program's icon (the chart with its frame and points, as installed for
// the desktop), for every window's title bar.
QIcon programIcon();
// Icon of a toolbar button by its key; a null icon for an unknown key.
QIcon toolbarIcon(const QString &key);
// The splash artwork, 276 x 160 pixels.
QImage splashArtwork();
// Hint picture of the diagonal (two corners) or four-point definition.
QImage hintPicture(bool diagonal);
inline constexpr int kHintWidth = 210, kHintHeight = 86;

} // namespace orv
