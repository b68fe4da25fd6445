#include "numberinput.h"

#include <QString>
#include <QtMath>

namespace zelkir {

std::optional<double> numberFromInput(const QVariant& value)
{
    bool ok = false;
    double number = 0.0;
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        number = value.toDouble(&ok);
        break;
    case QMetaType::QString:
    case QMetaType::QByteArray:
        number = value.toString().trimmed().toDouble(&ok);
        break;
    default:
        return std::nullopt;
    }
    if (!ok || !qIsFinite(number))
        return std::nullopt;
    return number;
}

} // namespace zelkir
