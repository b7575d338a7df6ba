#pragma once
// Narrow boxes that show their whole text: the font shrinks (down to a floor)
// until the text fits, and a box that is not being typed in shows its text
// from its start, never scrolled to its end. The box stays a plain QLineEdit.

class QLineEdit;

namespace orv {

// Keeps `box`'s text whole in view from now on; its current font is the
// largest it gets.
void keepWholeTextInView(QLineEdit *box, double minPointSize = 5.5);

// The width a box's text can take without scrolling.
int textRoom(const QLineEdit *box);

} // namespace orv
