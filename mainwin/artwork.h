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
// Hint picture of a frame mode by its tab: 1 diagonal (two corners), 2 four
// points, 3 projective (a keystoned photo of a chart).
QImage hintPicture(int tab);
inline constexpr int kHintWidth = 210, kHintHeight = 86;

} // namespace orv
