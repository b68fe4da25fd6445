#pragma once

#include <zelkir/views/viewgeometry.h>

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QQuickItem>
#include <QVariant>

namespace zelkir {

/// The main image view: shows an image zoomed and panned, draws regions of interest
/// over it and reports the image pixel under the pointer. The wheel zooms about the
/// pointer, a drag with the left button pans, a click (press and release without
/// dragging) reports the pixel pressed. Drawn through the scene graph; the image
/// is uploaded as a texture only when it changes.
class RoiImageView : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged)
    /// A list of regions in image pixels: rects, or maps/objects with x, y, width, height
    /// and optional color, selected (drawn thicker) and kind ("box", "ellipse", "line" with
    /// its ends x1, y1, x2, y2, "spot" at x1, y1 as a cross of fixed size). null (or
    /// anything not a list) means none.
    Q_PROPERTY(QVariant rois READ rois WRITE setRois NOTIFY roisChanged)
    /// 0 fits the whole image, centred; otherwise view pixels per image pixel.
    Q_PROPERTY(double zoom READ zoom WRITE setZoom NOTIFY zoomChanged)
    /// The scale in effect, view pixels per image pixel.
    Q_PROPERTY(double actualZoom READ actualZoom NOTIFY actualZoomChanged)
    /// The view's top-left corner inside the zoomed image, in view pixels; kept inside.
    Q_PROPERTY(QPointF pan READ pan WRITE setPan NOTIFY panChanged)
    /// The image pixel under the pointer; (-1, -1) outside the image or without one.
    Q_PROPERTY(QPoint cursorPos READ cursorPos NOTIFY cursorPosChanged)
    /// The pointer in item coordinates.
    Q_PROPERTY(QPointF hoverPos READ hoverPos NOTIFY hoverPosChanged)

public:
    explicit RoiImageView(QQuickItem* parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage& image);

    QVariant rois() const { return m_rois; }
    void setRois(const QVariant& rois);

    double zoom() const { return m_geometry.zoom(); }
    /// Zooms about the centre of the view.
    void setZoom(double zoom);
    double actualZoom() const { return m_geometry.actualZoom(); }

    QPointF pan() const { return m_geometry.pan(); }
    void setPan(QPointF pan);

    QPoint cursorPos() const { return m_cursorPos; }
    QPointF hoverPos() const { return m_hoverPos; }

    /// The continuous image coordinates (pixel (x, y) covers [x, x+1) x [y, y+1)) of a point
    /// of the item, as zoomed and panned now; also outside the image.
    Q_INVOKABLE QPointF mapToImage(QPointF itemPoint) const;
    /// The point of the item showing continuous image coordinates `imagePoint`.
    Q_INVOKABLE QPointF mapFromImage(QPointF imagePoint) const;

signals:
    void imageChanged();
    void roisChanged();
    void zoomChanged();
    void actualZoomChanged();
    void panChanged();
    void cursorPosChanged();
    void hoverPosChanged();
    void entered();
    void exited();
    /// The left button was pressed and released on image pixel `pixel` without dragging.
    void pixelClicked(QPoint pixel);

protected:
    QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void hoverEnterEvent(QHoverEvent* event) override;
    void hoverMoveEvent(QHoverEvent* event) override;
    void hoverLeaveEvent(QHoverEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    /// Runs a change of the geometry and emits what it changed.
    template <typename Change> void changeGeometry(Change change);
    void setPointer(QPointF position);
    void updateCursorPos();

    QImage m_image;
    QVariant m_rois;
    ViewGeometry m_geometry;
    QPoint m_cursorPos { -1, -1 };
    QPointF m_hoverPos;
    QPointF m_dragPos;
    QPointF m_pressPos;
    /// The pixel pressed, while the press may still become a click; (-1, -1) otherwise.
    QPoint m_pressPixel { -1, -1 };
    bool m_dragging = false;
    bool m_imageDirty = false;
};

} // namespace zelkir
