#include <zelkir/views/roiimageview.h>

#include "imagenode.h"
#include "roishape.h"

#include <QGuiApplication>
#include <QJSValue>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QStyleHints>

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

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

// Outlines are built from filled rectangles, each under a transform that places and turns
// it: the software renderer draws those, where it would ignore custom geometry.
struct OutlinePiece
{
    QMatrix4x4 matrix;
    QRectF rect;
    QColor color;
};

constexpr double OutlineWidth = 1.0;
constexpr double SelectedOutlineWidth = 2.0;
// A spot's cross, in view pixels: arms from the gap to the reach, around the point.
constexpr double SpotGap = 3.0;
constexpr double SpotReach = 10.0;

void addSegment(
    std::vector<OutlinePiece>& pieces, QPointF from, QPointF to, double width, const QColor& color)
{
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (!(length > 0.0))
        return;
    OutlinePiece piece;
    piece.matrix.translate(float(from.x()), float(from.y()));
    piece.matrix.rotate(float(qRadiansToDegrees(std::atan2(d.y(), d.x()))), 0, 0, 1);
    // Half a width past each end, so that the joints of a polyline leave no notch.
    piece.rect = QRectF(-width / 2, -width / 2, length + width, width);
    piece.color = color;
    pieces.push_back(piece);
}

void addRect(std::vector<OutlinePiece>& pieces, const QRectF& rect, const QColor& color)
{
    pieces.push_back({ QMatrix4x4(), rect, color });
}

void addOutline(std::vector<OutlinePiece>& pieces, const RoiShape& shape, const ViewGeometry& geometry)
{
    const double w = shape.selected ? SelectedOutlineWidth : OutlineWidth;
    switch (shape.kind) {
    case RoiShape::Kind::Box: {
        const QRectF r(
            geometry.mapFromImage(shape.rect.topLeft()), geometry.mapFromImage(shape.rect.bottomRight()));
        addRect(pieces, QRectF(r.left(), r.top(), r.width(), w), shape.color);
        addRect(pieces, QRectF(r.left(), r.bottom() - w, r.width(), w), shape.color);
        addRect(pieces, QRectF(r.left(), r.top(), w, r.height()), shape.color);
        addRect(pieces, QRectF(r.right() - w, r.top(), w, r.height()), shape.color);
        break;
    }
    case RoiShape::Kind::Ellipse: {
        const QRectF r(
            geometry.mapFromImage(shape.rect.topLeft()), geometry.mapFromImage(shape.rect.bottomRight()));
        // The outline runs just inside the bounding rectangle, as a box's does.
        const double rx = std::max(0.0, r.width() / 2 - w / 2);
        const double ry = std::max(0.0, r.height() / 2 - w / 2);
        const QPointF c = r.center();
        // About one segment per 6 view pixels of circumference keeps curves smooth.
        const int count = std::clamp(int(2 * M_PI * std::max(rx, ry) / 6), 24, 256);
        QPointF previous(c.x() + rx, c.y());
        for (int i = 1; i <= count; ++i) {
            const double angle = 2 * M_PI * i / count;
            const QPointF point(c.x() + rx * std::cos(angle), c.y() + ry * std::sin(angle));
            addSegment(pieces, previous, point, w, shape.color);
            previous = point;
        }
        break;
    }
    case RoiShape::Kind::Line:
        addSegment(pieces, geometry.mapFromImage(shape.p1), geometry.mapFromImage(shape.p2), w, shape.color);
        break;
    case RoiShape::Kind::Spot: {
        const QPointF c = geometry.mapFromImage(shape.p1);
        const double arm = SpotReach - SpotGap;
        addRect(pieces, QRectF(c.x() - SpotReach, c.y() - w / 2, arm, w), shape.color);
        addRect(pieces, QRectF(c.x() + SpotGap, c.y() - w / 2, arm, w), shape.color);
        addRect(pieces, QRectF(c.x() - w / 2, c.y() - SpotReach, w, arm), shape.color);
        addRect(pieces, QRectF(c.x() - w / 2, c.y() + SpotGap, w, arm), shape.color);
        break;
    }
    }
}

void setOutlineCount(QQuickWindow* window, QSGTransformNode& outlines, int count)
{
    while (outlines.childCount() > count) {
        QSGNode* last = outlines.lastChild();
        outlines.removeChildNode(last);
        delete last;
    }
    while (outlines.childCount() < count) {
        auto* placed = new QSGTransformNode;
        placed->appendChildNode(window->createRectangleNode());
        outlines.appendChildNode(placed);
    }
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

QPointF RoiImageView::mapToImage(QPointF itemPoint) const
{
    return m_geometry.mapToImage(itemPoint);
}

QPointF RoiImageView::mapFromImage(QPointF imagePoint) const
{
    return m_geometry.mapFromImage(imagePoint);
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

    std::vector<OutlinePiece> pieces;
    for (const RoiShape& shape : roiShapes(m_rois.toList()))
        addOutline(pieces, shape, m_geometry);
    setOutlineCount(window(), node->outlines, int(pieces.size()));
    QSGNode* child = node->outlines.firstChild();
    for (const OutlinePiece& piece : pieces) {
        auto* placed = static_cast<QSGTransformNode*>(child);
        if (placed->matrix() != piece.matrix)
            placed->setMatrix(piece.matrix);
        auto* rect = static_cast<QSGRectangleNode*>(placed->firstChild());
        if (rect->rect() != piece.rect)
            rect->setRect(piece.rect);
        if (rect->color() != piece.color)
            rect->setColor(piece.color);
        child = child->nextSibling();
    }
    return node;
}

} // namespace zelkir
