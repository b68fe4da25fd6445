#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QVariantList>

#include <vector>

namespace zelkir {

/// One region of interest as drawn, in image pixel coordinates, with its outline colour.
struct RoiShape
{
    enum class Kind { Box, Ellipse, Line, Spot };

    Kind kind = Kind::Box;
    /// Box and ellipse: the bounding rectangle.
    QRectF rect;
    /// Line: its ends; spot: p1 is the point marked.
    QPointF p1;
    QPointF p2;
    QColor color;
    bool selected = false;
};

/// Reads the regions a view was given. Each entry may be a rect (QRect/QRectF, as QML's
/// Qt.rect gives), a map or an object with the numbers x, y, width and height, an optional
/// color and selected, and an optional kind ("box", the default, "ellipse", "line", "spot").
/// Lines and spots take their points from x1, y1, x2, y2 when present, else from the
/// rectangle's corners (a spot: its centre). Entries that are none of these, boxes and
/// ellipses without area, and lines without length are skipped.
std::vector<RoiShape> roiShapes(const QVariantList& rois);

} // namespace zelkir
