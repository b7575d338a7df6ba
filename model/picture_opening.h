#pragma once
// Opening a picture file to show it: a large photo shows at once from a
// reduced decode, and its whole picture, decoded on a worker thread, then
// takes the reduced one's place. Opening a picture and opening a reading both
// go through here, so both show a large photo equally fast.

#include "model/picture.h"

#include <QImage>
#include <QString>
#include <expected>
#include <functional>

namespace orv {

class Reading;

// Photos whose longer side is twice this or more show from a reduced decode first.
inline constexpr int kReducedLongSide = 1400;

// The picture to show first: a reduced decode of a large photo, any other
// picture whole. Running out of memory reads as TooLarge.
std::expected<ReducedPicture, PictureError> decodeForShowing(const QString &path);

// After `reading` has shown `shown`, a reduced decode of `path`: decodes the
// whole picture on a worker thread and puts it in place while `shown` is
// still the picture shown (positions are fractions of the picture, so nothing
// clicked meanwhile moves). When the whole picture cannot be decoded, the
// reduced one stays but does not pass for the whole: the user is told, and
// the graph window's caption says it is reduced. `done` runs on the reading's
// thread either way, with true when the whole picture took its place.
void decodeWholeLater(Reading &reading, const QString &path, const QImage &shown,
                      std::function<void(bool whole)> done = {});

// The message when the whole picture could not be decoded (%1 x %2 the
// reduced size, %3 x %4 the picture's own).
QString wholePictureFailedText();
// Added to the graph window's caption while a reduced decode stands in for
// a picture that could not be decoded whole.
QString reducedCaptionSuffix();

} // namespace orv
