#include "logging.h"

Q_LOGGING_CATEGORY(lcDiscovery, "zelkcam.discovery", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDevice, "zelkcam.device", QtWarningMsg)
Q_LOGGING_CATEGORY(lcGenICam, "zelkcam.genicam", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStream, "zelkcam.stream", QtWarningMsg)
