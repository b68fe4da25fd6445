#include "logging.h"

namespace zelkir {

Q_LOGGING_CATEGORY(lcPlayer, "zelkir.player", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFinder, "zelkir.finder", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBadPixels, "zelkir.badpixels", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRegions, "zelkir.regions", QtWarningMsg)

} // namespace zelkir
