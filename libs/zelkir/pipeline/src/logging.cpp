#include "logging.h"

Q_LOGGING_CATEGORY(lcZelkirPipeline, "zelkir.pipeline", QtWarningMsg)
