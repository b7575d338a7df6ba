#pragma once
// A label that reports left clicks: the colour swatch of the result window and
// the CSV path label of the data processing window.

#include <QLabel>
#include <QMouseEvent>
#include <functional>

namespace orv {

class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && onClick)
            onClick();
        QLabel::mouseReleaseEvent(e);
    }
};

} // namespace orv
