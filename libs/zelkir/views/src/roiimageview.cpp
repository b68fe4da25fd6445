#include <zelkir/views/roiimageview.h>

#include "imagenode.h"
#include "roishape.h"

#include <QGuiApplication>
#include <QJSValue>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QStyleHints>

#include <cmath>
#include <utility>

namespace zelkir {

namespace {

// One wheel notch (120 eighths of a degree) zooms by this factor.
constexpr double WheelStepFactor = 1.25;

// The image node, when there is an image, followed by the outlines of the regions.
// Identity transform nodes rather than plain ones: the software renderer misplaces
// children added later under a plain node (they lose the item's position).
class RoiViewNode : public QSGTransformNode
{
public:
    RoiViewNode() { appendChildNode(&outlines); }
    ~RoiViewNode() override { removeChildNode(&outlines); }

    QSGImageNode* image = nullptr;
    QSGTransformNode outlines;
};

void setOutlineCount(QQuickWindow* window, QSGTransformNode& outlines, int count)
{
    while (outlines.childCount() > count) {
        QSGNode* last = outlines.lastChild();
        outlines.removeChildNode(last);
        delete last;
    }
    while (outlines.childCount() < count)
        outlines.appendChildNode(window->createRectangleNode());
}

} // namespace

RoiImageView::RoiImageView(QQuickItem* parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
    setAcceptHoverEvents(true);
    setAcceptedMouseButtons(Qt::LeftButton);
    // Zoomed images and outlines reach past the item; they must not paint over neighbours.
    setClip(true);
}

void RoiImageView::setImage(const QImage& image)
{
    // The same image again (same cache key: not modified since) needs no new texture.
    if (image.cacheKey() == m_image.cacheKey() || (image.isNull() && m_image.isNull()))
        return;
    m_image = image;
    m_imageDirty = true;
    changeGeometry([this] { m_geometry.setImageSize(m_image.size()); });
    emit imageChanged();
    updateCursorPos();
}

void RoiImageView::setRois(const QVariant& rois)
{
    // JavaScript arrays arrive wrapped; keep the plain list so comparisons mean something.
    const QVariant value
        = rois.metaType() == QMetaType::fromType<QJSValue>() ? rois.value<QJSValue>().toVariant() : rois;
    if (value == m_rois)
        return;
    m_rois = value;
    emit roisChanged();
    update();
}

void RoiImageView::setZoom(double zoom)
{
    changeGeometry([this, zoom] { m_geometry.setZoom(zoom, QPointF(width() / 2, height() / 2)); });
}

void RoiImageView::setPan(QPointF pan)
{
    changeGeometry([this, pan] { m_geometry.setPan(pan); });
}

template <typename Change> void RoiImageView::changeGeometry(Change change)
{
    const double oldZoom = m_geometry.zoom();
    const double oldActualZoom = m_geometry.actualZoom();
    const QPointF oldPan = m_geometry.pan();
    change();
    if (m_geometry.zoom() != oldZoom)
        emit zoomChanged();
    if (m_geometry.actualZoom() != oldActualZoom)
        emit actualZoomChanged();
    if (m_geometry.pan() != oldPan)
        emit panChanged();
    updateCursorPos();
    update();
}

void RoiImageView::updateCursorPos()
{
    // The last pointer position stays in force after the pointer left, so zooming or a
    // new image moves the reported pixel the way the pointer would see it.
    const QPoint position = m_geometry.cursorPos(m_hoverPos);
    if (position == m_cursorPos)
        return;
    m_cursorPos = position;
    emit cursorPosChanged();
}

void RoiImageView::setPointer(QPointF position)
{
    if (position != m_hoverPos) {
        m_hoverPos = position;
        emit hoverPosChanged();
    }
    updateCursorPos();
}

void RoiImageView::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        changeGeometry([this, &newGeometry] { m_geometry.setViewSize(newGeometry.size()); });
}

void RoiImageView::hoverEnterEvent(QHoverEvent* event)
{
    setPointer(event->position());
    emit entered();
}

void RoiImageView::hoverMoveEvent(QHoverEvent* event)
{
    setPointer(event->position());
}

void RoiImageView::hoverLeaveEvent(QHoverEvent*)
{
    emit exited();
}

void RoiImageView::mousePressEvent(QMouseEvent* event)
{
    m_dragging = true;
    m_dragPos = event->position();
    m_pressPos = event->position();
    m_pressPixel = m_geometry.cursorPos(m_pressPos);
    event->accept();
}

void RoiImageView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const QPointF delta = event->position() - m_dragPos;
    m_dragPos = event->position();
    // A hand that shakes a little still clicks; past the platform's drag distance it pans.
    if ((event->position() - m_pressPos).manhattanLength()
        >= QGuiApplication::styleHints()->startDragDistance())
        m_pressPixel = QPoint(-1, -1);
    changeGeometry([this, delta] { m_geometry.setPan(m_geometry.pan() - delta); });
    setPointer(event->position());
}

void RoiImageView::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
    const QPoint pixel = std::exchange(m_pressPixel, QPoint(-1, -1));
    if (pixel.x() >= 0 && pixel.y() >= 0)
        emit pixelClicked(pixel);
}

void RoiImageView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (delta == 0 || m_image.isNull()) {
        event->ignore();
        return;
    }
    const double factor = std::pow(WheelStepFactor, delta / 120.0);
    const QPointF anchor = event->position();
    changeGeometry([this, factor, anchor] { m_geometry.zoomBy(factor, anchor); });
    setPointer(anchor);
}

QSGNode* RoiImageView::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    auto* node = static_cast<RoiViewNode*>(oldNode);
    if (!node)
        node = new RoiViewNode;

    // Only the visible part of the image is drawn, so a deep zoom costs no more than fit.
    const QRectF bounds(0, 0, width(), height());
    const QRectF target = m_geometry.imageRect().intersected(bounds);
    const QRectF source(m_geometry.mapToImage(target.topLeft()), m_geometry.mapToImage(target.bottomRight()));
    const bool magnified = m_geometry.actualZoom() >= 1.0;
    QSGImageNode* image
        = updateImageNode(window(), node->image, m_image, m_imageDirty, target, source, magnified);
    m_imageDirty = false;
    // A node comes back changed only when there was none, or as none when the old one was
    // deleted, and a deleted node has already left its parent.
    if (image != node->image) {
        if (image)
            node->prependChildNode(image);
        node->image = image;
    }

    const std::vector<RoiShape> shapes = roiShapes(m_rois.toList());
    setOutlineCount(window(), node->outlines, int(shapes.size()) * 4);
    QSGNode* edge = node->outlines.firstChild();
    for (const RoiShape& shape : shapes) {
        const QRectF r(
            m_geometry.mapFromImage(shape.rect.topLeft()), m_geometry.mapFromImage(shape.rect.bottomRight()));
        const QRectF edges[]
            = { QRectF(r.left(), r.top(), r.width(), 1), QRectF(r.left(), r.bottom() - 1, r.width(), 1),
                  QRectF(r.left(), r.top(), 1, r.height()), QRectF(r.right() - 1, r.top(), 1, r.height()) };
        for (const QRectF& e : edges) {
            auto* rect = static_cast<QSGRectangleNode*>(edge);
            rect->setRect(e);
            rect->setColor(shape.color);
            edge = edge->nextSibling();
        }
    }
    return node;
}

} // namespace zelkir
