#include <zelkir/views/imageview.h>

#include "imagenode.h"

#include <QSGImageNode>

namespace zelkir {

ImageView::ImageView(QQuickItem* parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void ImageView::setImage(const QImage& image)
{
    // Pixels are never compared (that would cost more than uploading them); the same image
    // again (same cache key: not modified since) needs no new texture.
    if (image.cacheKey() == m_image.cacheKey() || (image.isNull() && m_image.isNull()))
        return;
    m_image = image;
    m_imageDirty = true;
    emit imageChanged();
    update();
}

void ImageView::setPreserveAspectRatio(bool preserve)
{
    if (m_preserveAspectRatio == preserve)
        return;
    m_preserveAspectRatio = preserve;
    emit preserveAspectRatioChanged();
    update();
}

QRectF ImageView::imageRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return QRectF();
    if (!m_preserveAspectRatio)
        return QRectF(0, 0, width(), height());
    const QSizeF fitted = QSizeF(m_image.size()).scaled(size(), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void ImageView::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        update();
}

QSGNode* ImageView::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    const QRectF target = imageRect();
    const bool magnified = target.width() >= m_image.width() && target.height() >= m_image.height();
    QSGNode* node = updateImageNode(window(), static_cast<QSGImageNode*>(oldNode), m_image, m_imageDirty,
        target, QRectF(QPointF(0, 0), QSizeF(m_image.size())), magnified);
    m_imageDirty = false;
    return node;
}

} // namespace zelkir
