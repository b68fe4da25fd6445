#include "roishape.h"

#include <QJSValue>
#include <QObject>
#include <QVariantMap>

#include <cmath>
#include <iterator>
#include <optional>

namespace zelkir {

namespace {

// Regions without a colour of their own take turns through these.
const QColor DefaultColors[]
    = { QColor(255, 0, 0), QColor(0, 128, 0), QColor(0, 0, 255), QColor(255, 0, 255) };

template <typename Get> std::optional<RoiShape> shapeFrom(Get get)
{
    RoiShape shape;
    const QString kind = get("kind").toString();
    if (kind == QLatin1String("ellipse"))
        shape.kind = RoiShape::Kind::Ellipse;
    else if (kind == QLatin1String("line"))
        shape.kind = RoiShape::Kind::Line;
    else if (kind == QLatin1String("spot"))
        shape.kind = RoiShape::Kind::Spot;
    shape.color = QColor(get("color").toString());
    shape.selected = get("selected").toBool();
    bool ok[4] = {};
    const QRectF rect(get("x").toDouble(&ok[0]), get("y").toDouble(&ok[1]), get("width").toDouble(&ok[2]),
        get("height").toDouble(&ok[3]));
    const bool hasRect = ok[0] && ok[1] && ok[2] && ok[3];
    const QPointF p1(get("x1").toDouble(&ok[0]), get("y1").toDouble(&ok[1]));
    const QPointF p2(get("x2").toDouble(&ok[2]), get("y2").toDouble(&ok[3]));
    const bool hasPoints = ok[0] && ok[1] && ok[2] && ok[3];
    switch (shape.kind) {
    case RoiShape::Kind::Box:
    case RoiShape::Kind::Ellipse:
        if (!hasRect)
            return std::nullopt;
        shape.rect = rect;
        break;
    case RoiShape::Kind::Line:
    case RoiShape::Kind::Spot:
        if (hasPoints) {
            shape.p1 = p1;
            shape.p2 = p2;
        } else if (hasRect) {
            shape.p1 = shape.kind == RoiShape::Kind::Spot ? rect.center() : rect.topLeft();
            shape.p2 = rect.bottomRight();
        } else {
            return std::nullopt;
        }
        shape.rect = QRectF(shape.p1, shape.p2);
        break;
    }
    return shape;
}

std::optional<RoiShape> shapeFrom(const QVariant& value)
{
    QVariant v = value;
    if (v.metaType() == QMetaType::fromType<QJSValue>())
        v = v.value<QJSValue>().toVariant();
    switch (v.metaType().id()) {
    case QMetaType::QRect:
    case QMetaType::QRectF: {
        RoiShape shape;
        shape.rect = v.toRectF();
        return shape;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = v.toMap();
        return shapeFrom([&map](const char* key) { return map.value(QLatin1String(key)); });
    }
    default:
        break;
    }
    if (QObject* object = v.value<QObject*>())
        return shapeFrom([object](const char* key) { return object->property(key); });
    return std::nullopt;
}

bool finite(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width())
        && std::isfinite(r.height());
}

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

bool drawable(const RoiShape& shape)
{
    switch (shape.kind) {
    case RoiShape::Kind::Box:
    case RoiShape::Kind::Ellipse:
        return finite(shape.rect) && !shape.rect.isEmpty();
    case RoiShape::Kind::Line:
        return finite(shape.p1) && finite(shape.p2) && shape.p1 != shape.p2;
    case RoiShape::Kind::Spot:
        return finite(shape.p1);
    }
    return false;
}

} // namespace

std::vector<RoiShape> roiShapes(const QVariantList& rois)
{
    std::vector<RoiShape> shapes;
    for (const QVariant& value : rois) {
        std::optional<RoiShape> shape = shapeFrom(value);
        if (shape)
            shape->rect = shape->rect.normalized();
        if (!shape || !drawable(*shape))
            continue;
        if (!shape->color.isValid())
            shape->color = DefaultColors[shapes.size() % std::size(DefaultColors)];
        shapes.push_back(*shape);
    }
    return shapes;
}

} // namespace zelkir
