#include "logging.h"

Q_LOGGING_CATEGORY(lcZelkirIo, "zelkir.io", QtWarningMsg)
