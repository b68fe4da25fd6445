#pragma once

#include <QImage>
#include <QQuickItem>

namespace zelkir {

/// Shows a whole image, either fitted and centred with its aspect ratio kept or
/// stretched to the whole item. Drawn through the scene graph as one texture, uploaded
/// only when the image changes.
class ImageView : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged)
    Q_PROPERTY(bool preserveAspectRatio READ preserveAspectRatio WRITE setPreserveAspectRatio NOTIFY
            preserveAspectRatioChanged)

public:
    explicit ImageView(QQuickItem* parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage& image);

    bool preserveAspectRatio() const { return m_preserveAspectRatio; }
    void setPreserveAspectRatio(bool preserve);

    /// Where the image is drawn, in item coordinates; empty without an image.
    QRectF imageRect() const;

signals:
    void imageChanged();
    void preserveAspectRatioChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    QImage m_image;
    bool m_preserveAspectRatio = true;
    bool m_imageDirty = false;
};

} // namespace zelkir
