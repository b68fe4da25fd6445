#include <zelkir/views/viewgeometry.h>

#include <algorithm>
#include <cmath>

namespace zelkir {

namespace {

// On an axis where the zoomed image fits, it is centred; otherwise the view stays on it.
double clampAxis(double pan, double imageExtent, double viewExtent)
{
    if (imageExtent <= viewExtent)
        return (imageExtent - viewExtent) / 2.0;
    return std::clamp(pan, 0.0, imageExtent - viewExtent);
}

} // namespace

void ViewGeometry::setImageSize(QSize size)
{
    m_imageSize = size.isValid() ? size : QSize();
    clampPan();
}

void ViewGeometry::setViewSize(QSizeF size)
{
    m_viewSize = QSizeF(std::max(0.0, size.width()), std::max(0.0, size.height()));
    clampPan();
}

double ViewGeometry::fitZoom() const
{
    if (!hasImage() || !hasView())
        return 1.0;
    return std::min(m_viewSize.width() / m_imageSize.width(), m_viewSize.height() / m_imageSize.height());
}

double ViewGeometry::actualZoom() const
{
    return m_zoom > 0.0 ? m_zoom : fitZoom();
}

void ViewGeometry::setZoom(double zoom, QPointF anchor)
{
    const QPointF anchored = mapToImage(anchor);
    if (!(zoom > 0.0)) {
        m_zoom = 0.0;
    } else {
        const double fit = fitZoom();
        m_zoom = std::clamp(zoom, std::min(MinimumZoom, fit), std::max(MaximumZoom, fit));
    }
    m_pan = anchored * actualZoom() - anchor;
    clampPan();
}

void ViewGeometry::zoomBy(double factor, QPointF anchor)
{
    if (!(factor > 0.0) || !std::isfinite(factor))
        return;
    setZoom(actualZoom() * factor, anchor);
}

void ViewGeometry::setPan(QPointF pan)
{
    if (!std::isnan(pan.x()))
        m_pan.setX(pan.x());
    if (!std::isnan(pan.y()))
        m_pan.setY(pan.y());
    clampPan();
}

void ViewGeometry::clampPan()
{
    if (!hasImage()) {
        m_pan = QPointF();
        return;
    }
    const double scale = actualZoom();
    m_pan.setX(clampAxis(m_pan.x(), m_imageSize.width() * scale, m_viewSize.width()));
    m_pan.setY(clampAxis(m_pan.y(), m_imageSize.height() * scale, m_viewSize.height()));
}

QRectF ViewGeometry::imageRect() const
{
    if (!hasImage())
        return QRectF();
    const double scale = actualZoom();
    return QRectF(-m_pan, QSizeF(m_imageSize) * scale);
}

QPointF ViewGeometry::mapToImage(QPointF viewPoint) const
{
    return (viewPoint + m_pan) / actualZoom();
}

QPointF ViewGeometry::mapFromImage(QPointF imagePoint) const
{
    return imagePoint * actualZoom() - m_pan;
}

QPoint ViewGeometry::cursorPos(QPointF viewPoint) const
{
    if (!hasImage())
        return QPoint(-1, -1);
    const QPointF p = mapToImage(viewPoint);
    // The margin around a fitted image is no pixel of it; NaN fails both tests too.
    const double x = std::floor(p.x());
    const double y = std::floor(p.y());
    if (!(x >= 0.0 && x < m_imageSize.width() && y >= 0.0 && y < m_imageSize.height()))
        return QPoint(-1, -1);
    return QPoint(int(x), int(y));
}

} // namespace zelkir
