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
    bool ok[4] = {};
    const QRectF rect(get("x").toDouble(&ok[0]), get("y").toDouble(&ok[1]), get("width").toDouble(&ok[2]),
        get("height").toDouble(&ok[3]));
    if (!(ok[0] && ok[1] && ok[2] && ok[3]))
        return std::nullopt;
    return RoiShape { rect, QColor(get("color").toString()) };
}

std::optional<RoiShape> shapeFrom(const QVariant& value)
{
    QVariant v = value;
    if (v.metaType() == QMetaType::fromType<QJSValue>())
        v = v.value<QJSValue>().toVariant();
    switch (v.metaType().id()) {
    case QMetaType::QRect:
    case QMetaType::QRectF:
        return RoiShape { v.toRectF(), QColor() };
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

} // namespace

std::vector<RoiShape> roiShapes(const QVariantList& rois)
{
    std::vector<RoiShape> shapes;
    for (const QVariant& value : rois) {
        std::optional<RoiShape> shape = shapeFrom(value);
        if (shape)
            shape->rect = shape->rect.normalized();
        if (!shape || !finite(shape->rect) || shape->rect.isEmpty())
            continue;
        if (!shape->color.isValid())
            shape->color = DefaultColors[shapes.size() % std::size(DefaultColors)];
        shapes.push_back(*shape);
    }
    return shapes;
}

} // namespace zelkir
