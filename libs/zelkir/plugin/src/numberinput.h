#pragma once

#include <QVariant>

#include <optional>

namespace zelkir {

/// The finite number a QML value stands for: a JavaScript number, or text holding one
/// (surrounding blanks allowed, C locale). Nothing for other text, NaN, infinities,
/// booleans, null and undefined.
std::optional<double> numberFromInput(const QVariant& value);

} // namespace zelkir
