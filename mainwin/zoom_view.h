#pragma once
// The zoom view of the main window (Zoom_Picture with ZoomImage1, the two
// cross-hair lines Line1/Line2 and CircleShape1) as geometry. The zoom area's
// own coordinates run 0..1 left to right and 0..1 bottom to top; a "top" is the
// y of an element's upper edge. The widget paints from this state.

#include "model/pdf_source.h"

#include <QImage>
#include <QLineF>
#include <QObject>
#include <QRectF>

namespace orv {

class Reading;

struct ZoomRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const ZoomRect &) const = default;
};

class ZoomView : public QObject {
    Q_OBJECT
public:
    // Design size of Zoom_Picture in twips; the height follows the window.
    static constexpr double kDesignWidthTwips = 3255;
    static constexpr double kDesignHeightTwips = 2595;
    // Diameter of the circle marking the spot, in twips.
    static constexpr double kCircleTwips = 240;

    explicit ZoomView(Reading &reading, QObject *parent = nullptr);

    void setAreaTwips(double widthTwips, double heightTwips);
    double areaWidthTwips() const { return m_areaW; }
    double areaHeightTwips() const { return m_areaH; }

    // Coordinates, cross-hair and circle for the current area size.
    void Init_Zoom();
    // ZoomImage1 := the picture's natural size times the zoom factor.
    void Size_ZoomImage();
    // Centres the view on picture point (x, y) (normalised, y upwards).
    void Move_ZoomImage(double x, double y);

    // Takes the shown picture (shared, not copied) and records its natural size
    // in zoom-area units as Pic_Width / Pic_Height.
    // A reduced decode stands for a picture of `natural` pixels until
    // refinePicture swaps the whole one in (nothing else changes then).
    void takePicture(const QImage &picture, QSize natural = QSize());
    void refinePicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }

    const ZoomRect &image() const { return m_image; }
    bool imageVisible() const { return m_imageVisible; }
    void setImageVisible(bool visible);
    const QLineF &line1() const { return m_line1; }
    const QLineF &line2() const { return m_line2; }
    const ZoomRect &circle() const { return m_circle; }

    // The image's rectangle in pixels of an area of the given size (y down).
    QRectF imageRectPx(const QSizeF &areaPx) const;
    // The area's size in pixels.
    QSizeF areaPx() const;

    // For a picture rendered from a PDF page: what the view shows is rendered
    // again from the page at the view's magnification (on a worker thread),
    // so that vector lines stay sharp. Until that arrives, and for other
    // pictures, the picture's pixels are magnified.
    void setPdfSource(const QString &file, int page);
    void clearPdfSource();
    bool hasPdfSource() const { return !m_pageSize.isEmpty(); }
    struct SharpTile {
        QImage image;
        QRectF imageRect; // the image's rectangle (area pixels) it was rendered for
        QPointF at;       // where its upper-left corner goes in the area
    };
    // The sharp rendering when it still fits what the view shows, else null.
    const SharpTile *sharpTile() const;
    PdfRegionRenderer &regionRenderer() { return m_renderer; }

Q_SIGNALS:
    void changed();

private:
    // Asks for the sharp rendering of what the view shows now.
    void requestSharp();
    void sharpRendered(quint64 ticket, const QImage &image);

    Reading &m_r;
    double m_areaW = kDesignWidthTwips, m_areaH = kDesignHeightTwips;
    QImage m_picture;
    ZoomRect m_image;
    bool m_imageVisible = false;
    QLineF m_line1, m_line2;
    ZoomRect m_circle;
    PdfRegionRenderer m_renderer;
    QSizeF m_pageSize; // points; empty without a PDF source
    quint64 m_ticket = 0;
    QRectF m_askedRect;
    QPointF m_askedAt;
    SharpTile m_tile;
};

} // namespace orv
