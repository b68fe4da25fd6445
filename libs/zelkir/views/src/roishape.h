#pragma once

#include <QColor>
#include <QRectF>
#include <QVariantList>

#include <vector>

namespace zelkir {

/// One region of interest as drawn: a rectangle in image pixels and its outline colour.
struct RoiShape
{
    QRectF rect;
    QColor color;
};

/// Reads the regions a view was given. Each entry may be a rect (QRect/QRectF, as QML's
/// Qt.rect gives), a map or an object with the numbers x, y, width and height and an
/// optional color. Entries that are none of these, or have no area, are skipped.
std::vector<RoiShape> roiShapes(const QVariantList& rois);

} // namespace zelkir
