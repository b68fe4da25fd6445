#include "logging.h"

namespace zelkir {

Q_LOGGING_CATEGORY(lcPlayer, "zelkir.player", QtWarningMsg)

} // namespace zelkir
