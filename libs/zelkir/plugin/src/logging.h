#pragma once

#include <QLoggingCategory>

namespace zelkir {

Q_DECLARE_LOGGING_CATEGORY(lcPlayer)
Q_DECLARE_LOGGING_CATEGORY(lcFinder)
Q_DECLARE_LOGGING_CATEGORY(lcBadPixels)
Q_DECLARE_LOGGING_CATEGORY(lcRegions)

} // namespace zelkir
