#include "mainwin/zoom_view.h"

#include "model/numtext.h"
#include "model/reading.h"
#include "model/utilities.h"

namespace orv {

ZoomView::ZoomView(Reading &reading, QObject *parent) : QObject(parent), m_r(reading) { Init_Zoom(); }

void ZoomView::setAreaTwips(double widthTwips, double heightTwips)
{
    widthTwips = std::max(1.0, widthTwips);
    heightTwips = std::max(1.0, heightTwips);
    if (widthTwips == m_areaW && heightTwips == m_areaH)
        return;
    // The area's units change with its size; the image and the picture's
    // natural size keep their size on screen (otherwise a taller window would
    // stretch the magnified picture out of proportion).
    const double kx = m_areaW / widthTwips, ky = m_areaH / heightTwips;
    m_image.left *= kx;
    m_image.width *= kx;
    m_image.top = 1 - (1 - m_image.top) * ky;
    m_image.height *= ky;
    m_r.Pic_Width *= kx;
    m_r.Pic_Height *= ky;
    m_areaW = widthTwips;
    m_areaH = heightTwips;
}

void ZoomView::Init_Zoom()
{
    m_line1 = QLineF(0, 0.5, 1, 0.5);
    m_line2 = QLineF(0.5, 0, 0.5, 1);
    // The circle keeps its size on screen, so its extent in area units follows
    // the area's size.
    m_circle.width = kCircleTwips / m_areaW;
    m_circle.height = kCircleTwips / m_areaH;
    m_circle.left = 0.5 - m_circle.width / 2 + 0.005;
    m_circle.top = 0.5 + m_circle.height / 2 - 0.005;
    Q_EMIT changed();
}

void ZoomView::Size_ZoomImage()
{
    const double factor = readPrefix(m_r.settings.zoom.text());
    m_image.height = m_r.Pic_Height * factor;
    m_image.width = m_r.Pic_Width * factor;
    Q_EMIT changed();
}

void ZoomView::Move_ZoomImage(double x, double y)
{
    const double top = (1 - y) * m_image.height + 0.5;
    const double left = 0.5 - x * m_image.width;
    bool moved = false;
    if (top != m_image.top) {
        m_image.top = top;
        moved = true;
    }
    if (left != m_image.left) {
        m_image.left = left;
        moved = true;
    }
    if (moved)
        Q_EMIT changed();
}

void ZoomView::refinePicture(const QImage &picture)
{
    m_picture = picture;
    Q_EMIT changed();
}

void ZoomView::takePicture(const QImage &picture, QSize natural)
{
    m_picture = picture;
    if (!natural.isValid())
        natural = picture.size();
    // The unstretched image takes the picture's natural size: one pixel is
    // 15 twips.
    m_r.Pic_Width = pxToTwips(natural.width()) / m_areaW;
    m_r.Pic_Height = pxToTwips(natural.height()) / m_areaH;
    // Until the pointer moves, the picture's upper-left corner sits at the
    // area's upper-left corner.
    m_image.left = 0;
    m_image.top = 1;
    Q_EMIT changed();
}

void ZoomView::setImageVisible(bool visible)
{
    if (m_imageVisible == visible)
        return;
    m_imageVisible = visible;
    Q_EMIT changed();
}

QRectF ZoomView::imageRectPx(const QSizeF &areaPx) const
{
    return QRectF(m_image.left * areaPx.width(), (1 - m_image.top) * areaPx.height(), m_image.width * areaPx.width(),
                  m_image.height * areaPx.height());
}

} // namespace orv
