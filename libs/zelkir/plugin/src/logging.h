#pragma once

#include <QLoggingCategory>

namespace zelkir {

Q_DECLARE_LOGGING_CATEGORY(lcPlayer)

} // namespace zelkir
