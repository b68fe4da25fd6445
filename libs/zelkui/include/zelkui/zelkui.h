#pragma once

#define ZELKUI_EXPORT __attribute__((visibility("default")))

/// Makes the Qt Quick Controls style "qeltstyle" and the QML module
/// "com.qelt.zelkui 1.0" (WidgetFileDialog) available to every QML engine whose import
/// paths include ":/". Call it once a QGuiApplication exists, after choosing the style
/// (QQuickStyle::setStyle("qeltstyle"), fallback "Basic") and before loading any QML.
/// Further calls do nothing. Safe to call from any one thread at a time; it touches no
/// engine, so engines created before or after it both see the modules.
ZELKUI_EXPORT void zelkuiInitPlugin();
