#pragma once

#include <QLoggingCategory>

// One category per subsystem; enable with QT_LOGGING_RULES="zelkcam.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDiscovery)
Q_DECLARE_LOGGING_CATEGORY(lcDevice)
Q_DECLARE_LOGGING_CATEGORY(lcGenICam)
Q_DECLARE_LOGGING_CATEGORY(lcStream)
