#pragma once

#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace zelkir {

/// Where a zoomed and panned image lies inside a view. Plain value class; every length
/// is in view pixels unless it says image pixels.
///
/// The zoom is either 0 ("fit": the whole image fitted into the view and centred) or a
/// fixed scale in view pixels per image pixel. The pan is the position of the view's
/// top-left corner inside the zoomed image and is always kept inside the image; on an
/// axis where the zoomed image is smaller than the view it centres the image (the pan
/// is then negative).
class ViewGeometry
{
public:
    /// Bounds of a fixed zoom, widened to include the fit scale so that switching from
    /// fit to fixed never jumps.
    static constexpr double MinimumZoom = 1.0 / 32.0;
    static constexpr double MaximumZoom = 64.0;

    QSize imageSize() const { return m_imageSize; }
    /// Negative sizes count as empty. Keeps the zoom, clamps the pan.
    void setImageSize(QSize size);

    QSizeF viewSize() const { return m_viewSize; }
    /// Keeps the zoom, clamps the pan.
    void setViewSize(QSizeF size);

    /// 0 for fit, else the fixed scale.
    double zoom() const { return m_zoom; }
    /// Sets the zoom so that the image point under `anchor` (view coordinates) stays
    /// there. Zero, negative and NaN mean fit; a fixed zoom is clamped to the bounds.
    void setZoom(double zoom, QPointF anchor);
    /// Multiplies the scale in effect by `factor` about `anchor`, leaving fit first.
    void zoomBy(double factor, QPointF anchor);

    /// The scale in effect; 1 when there is no image or no view to fit into.
    double actualZoom() const;
    double fitZoom() const;

    QPointF pan() const { return m_pan; }
    /// Clamped as described above; NaN components are ignored.
    void setPan(QPointF pan);

    /// The zoomed image in view coordinates; empty without an image.
    QRectF imageRect() const;
    /// View coordinates to image coordinates (image pixels, not clamped).
    QPointF mapToImage(QPointF viewPoint) const;
    QPointF mapFromImage(QPointF imagePoint) const;
    /// The image pixel under `viewPoint`; (-1, -1) outside the image or without one.
    QPoint cursorPos(QPointF viewPoint) const;

private:
    bool hasImage() const { return !m_imageSize.isEmpty(); }
    bool hasView() const { return m_viewSize.width() > 0 && m_viewSize.height() > 0; }
    void clampPan();

    QSize m_imageSize;
    QSizeF m_viewSize;
    double m_zoom = 0.0;
    QPointF m_pan;
};

} // namespace zelkir
