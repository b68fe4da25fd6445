#pragma once

#include <QImage>
#include <QRectF>

class QQuickWindow;
class QSGImageNode;

namespace zelkir {

/// Creates or updates the scene-graph node that shows `image`: the part `source` of the
/// image (image pixels) is drawn into `target` (item coordinates). The texture is
/// uploaded again only when `imageChanged` is true or the node is new. Nearest-neighbour
/// filtering while magnified keeps every image pixel a crisp square. Returns nullptr (and
/// deletes `node`) when there is nothing to draw.
QSGImageNode* updateImageNode(QQuickWindow* window, QSGImageNode* node, const QImage& image,
    bool imageChanged, const QRectF& target, const QRectF& source, bool magnified);

} // namespace zelkir
