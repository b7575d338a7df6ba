#include "mainwin/whole_text_box.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace orv {

namespace {

// QLineEdit keeps this much between its contents' edge and the text.
constexpr int kLineEditMargin = 2;

class WholeTextFitter : public QObject {
public:
    WholeTextFitter(QLineEdit *box, double minPointSize)
        : QObject(box), m_box(box), m_base(box->font()), m_min(minPointSize)
    {
        box->installEventFilter(this);
        QObject::connect(box, &QLineEdit::textChanged, this, [this] {
            fit();
            // Put in by the program (typing marks the box modified): shown
            // from its start.
            if (!m_box->isModified())
                m_box->setCursorPosition(0);
        });
        fit();
        m_box->setCursorPosition(0);
    }

    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (watched == m_box) {
            if (e->type() == QEvent::FocusOut)
                m_box->setCursorPosition(0);
            else if (e->type() == QEvent::Resize)
                fit();
        }
        return false;
    }

private:
    void fit()
    {
        const QString text = m_box->text();
        const int room = textRoom(m_box);
        QFont f = m_base;
        const double base = m_base.pointSizeF() > 0 ? m_base.pointSizeF() : 9;
        // Narrower letters first, then smaller ones: a condensed figure
        // stays more legible than a tiny one.
        bool fits = false;
        for (double size = base; size >= m_min - 1e-9 && !fits; size -= 0.25) {
            for (int stretch : {int(QFont::Unstretched), int(QFont::Condensed)}) {
                f.setPointSizeF(size);
                f.setStretch(stretch);
                // A pixel for the cursor after the last character.
                if (QFontMetricsF(f).horizontalAdvance(text) + 1 <= room) {
                    fits = true;
                    break;
                }
            }
        }
        if (f != m_box->font())
            m_box->setFont(f);
    }

    QLineEdit *m_box;
    QFont m_base;
    double m_min;
};

} // namespace

int textRoom(const QLineEdit *box)
{
    QStyleOptionFrame opt;
    opt.initFrom(box);
    opt.rect = box->rect();
    opt.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, box) : 0;
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &opt, box);
    const QMargins m = box->textMargins();
    return contents.width() - m.left() - m.right() - 2 * kLineEditMargin;
}

void keepWholeTextInView(QLineEdit *box, double minPointSize)
{
    if (box)
        new WholeTextFitter(box, minPointSize);
}

} // namespace orv
