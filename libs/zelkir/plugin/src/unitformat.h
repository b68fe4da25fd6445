#pragma once

#include "documentmodel.h"

#include <QString>

namespace zelkir {

/// A value as the spot meter shows it: radiance in exponent form with four decimals
/// ("1.2346e-4"), temperatures with two decimals, counts whole. NaN and infinities give "".
QString formatUnitValue(double value, DocumentModel::Unit unit);

} // namespace zelkir
