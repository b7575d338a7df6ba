#pragma once
// Pictures of the help document, drawn from the program itself.

#include <QImage>
#include <QString>
#include <utility>
#include <vector>

namespace orv {

// Named pictures ("main", "panel", "zoom", "steps", "hint2", "hint4", "hintP"); the
// program folder is where the window finds its hint pictures.
std::vector<std::pair<QString, QImage>> helpPictures(const QString &programFolder);

} // namespace orv
