#include "unitformat.h"

#include <cmath>

namespace zelkir {

namespace {

/// Exponent form as the QML views write it (JavaScript's toExponential): no padding zeros
/// in the exponent, and a sign on it either way ("1.2346e-4", "2.0000e+3").
QString exponentText(double value)
{
    QString text = QString::number(value, 'e', 4);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e < 0 || e + 2 >= text.size())
        return text;
    qsizetype digits = e + 2;
    while (digits < text.size() - 1 && text.at(digits) == QLatin1Char('0'))
        text.remove(digits, 1);
    return text;
}

} // namespace

QString formatUnitValue(double value, DocumentModel::Unit unit)
{
    if (!std::isfinite(value))
        return QString();
    switch (unit) {
    case DocumentModel::RADIANCE_FACTORY:
    case DocumentModel::RADIANCE_USER:
        return exponentText(value);
    case DocumentModel::TEMPERATURE_FACTORY:
    case DocumentModel::TEMPERATURE_USER:
        return QString::number(value, 'f', 2);
    case DocumentModel::COUNTS:
        break;
    }
    return QString::number(value, 'f', 0);
}

} // namespace zelkir
