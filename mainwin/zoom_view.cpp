#include "mainwin/zoom_view.h"

#include "model/numtext.h"
#include "model/reading.h"
#include "model/utilities.h"

#include <cmath>

namespace orv {

ZoomView::ZoomView(Reading &reading, QObject *parent) : QObject(parent), m_r(reading)
{
    connect(&m_renderer, &PdfRegionRenderer::rendered, this, &ZoomView::sharpRendered);
    Init_Zoom();
}

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
    requestSharp();
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
    requestSharp();
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
    if (moved) {
        requestSharp();
        Q_EMIT changed();
    }
}

void ZoomView::refinePicture(const QImage &picture)
{
    m_picture = picture;
    Q_EMIT changed();
}

void ZoomView::takePicture(const QImage &picture, QSize natural)
{
    m_picture = picture;
    clearPdfSource();
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
    requestSharp();
    Q_EMIT changed();
}

QRectF ZoomView::imageRectPx(const QSizeF &areaPx) const
{
    return QRectF(m_image.left * areaPx.width(), (1 - m_image.top) * areaPx.height(), m_image.width * areaPx.width(),
                  m_image.height * areaPx.height());
}

} // namespace orv

namespace orv {

QSizeF ZoomView::areaPx() const { return QSizeF(twipsToPx(m_areaW), twipsToPx(m_areaH)); }

void ZoomView::setPdfSource(const QString &file, int page)
{
    auto doc = PdfDocument::open(file);
    m_pageSize = doc ? doc->pageSize(page) : QSizeF();
    m_renderer.setSource(m_pageSize.isEmpty() ? QString() : file, page);
    m_tile = {};
    requestSharp();
}

void ZoomView::clearPdfSource()
{
    m_pageSize = QSizeF();
    m_renderer.setSource(QString(), 0);
    m_tile = {};
    ++m_ticket; // whatever still renders is for the old picture
}

namespace {
bool sameRect(const QRectF &a, const QRectF &b)
{
    constexpr double eps = 1e-6;
    return std::abs(a.left() - b.left()) < eps && std::abs(a.top() - b.top()) < eps &&
           std::abs(a.width() - b.width()) < eps && std::abs(a.height() - b.height()) < eps;
}
} // namespace

const ZoomView::SharpTile *ZoomView::sharpTile() const
{
    if (m_tile.image.isNull() || !m_imageVisible || !sameRect(m_tile.imageRect, imageRectPx(areaPx())))
        return nullptr;
    return &m_tile;
}

void ZoomView::requestSharp()
{
    if (!hasPdfSource() || !m_imageVisible || m_picture.isNull())
        return;
    const QSizeF area = areaPx();
    const QRectF ir = imageRectPx(area);
    // Only a magnified picture gains from the page; at its own size or less
    // the rendered picture is as sharp as the page.
    if (ir.width() <= m_picture.width() * 1.01 || ir.height() <= 0)
        return;
    if (m_tile.image.isNull() == false && sameRect(m_tile.imageRect, ir))
        return;
    const QRectF vis = ir.intersected(QRectF(QPointF(0, 0), area));
    if (vis.isEmpty())
        return;
    const int x0 = int(std::floor(vis.left() - ir.left())), y0 = int(std::floor(vis.top() - ir.top()));
    const int x1 = int(std::ceil(vis.right() - ir.left())), y1 = int(std::ceil(vis.bottom() - ir.top()));
    const QRect region(x0, y0, x1 - x0, y1 - y0);
    // The page at this resolution is exactly as large as the image.
    const double xres = ir.width() * 72 / m_pageSize.width();
    const double yres = ir.height() * 72 / m_pageSize.height();
    m_askedRect = ir;
    m_askedAt = QPointF(ir.left() + x0, ir.top() + y0);
    m_renderer.request(xres, yres, region, ++m_ticket);
}

void ZoomView::sharpRendered(quint64 ticket, const QImage &image)
{
    if (ticket != m_ticket || image.isNull())
        return;
    m_tile = {image, m_askedRect, m_askedAt};
    Q_EMIT changed();
}

} // namespace orv
