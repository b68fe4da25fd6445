#include "imagenode.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGTexture>

namespace zelkir {

namespace {

// Beyond this the graphics driver may refuse the texture; such images are shown reduced.
constexpr int MaximumTextureSide = 8192;

QImage textureImage(const QImage& image)
{
    if (image.width() <= MaximumTextureSide && image.height() <= MaximumTextureSide)
        return image;
    return image.scaled(MaximumTextureSide, MaximumTextureSide, Qt::KeepAspectRatio, Qt::FastTransformation);
}

} // namespace

QSGImageNode* updateImageNode(QQuickWindow* window, QSGImageNode* node, const QImage& image,
    bool imageChanged, const QRectF& target, const QRectF& source, bool magnified)
{
    if (image.isNull() || target.isEmpty() || source.isEmpty()) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = window->createImageNode();
        node->setOwnsTexture(true);
        imageChanged = true;
    }
    if (imageChanged) {
        // The node owns the texture, so setting the new one releases the old.
        QSGTexture* texture = window->createTextureFromImage(textureImage(image));
        node->setTexture(texture);
    }
    const QSize textureSize = node->texture()->textureSize();
    const double sx = double(textureSize.width()) / image.width();
    const double sy = double(textureSize.height()) / image.height();
    node->setSourceRect(QRectF(source.x() * sx, source.y() * sy, source.width() * sx, source.height() * sy));
    node->setRect(target);
    node->setFiltering(magnified ? QSGTexture::Nearest : QSGTexture::Linear);
    return node;
}

} // namespace zelkir
