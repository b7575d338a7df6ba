#pragma once
// Small layout helpers shared by the main window's source files.

#include "model/utilities.h"

#include <QColor>
#include <QLabel>
#include <QRect>
#include <QString>

namespace orv::mainwin_layout {

// Design geometry in twips, converted once.
inline QRect tw(int left, int top, int width, int height)
{
    return QRect(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

inline QLabel *label(QWidget *parent, const QString &text, const QRect &geometry, const char *name = nullptr)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    return l;
}

inline const QColor kHilight{255, 192, 192};

} // namespace orv::mainwin_layout
