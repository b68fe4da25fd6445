#pragma once

class QQmlEngine;

#define ZELKIR_EXPORT __attribute__((visibility("default")))

/// Makes the QML module "com.qelt.zelkir" 1.0 available (HalvoModel, DocumentModel and
/// ImageEnhancementModel with their enumerations, FrameInfoModelFilter, RoiImageView,
/// ImageView, CameraFinder, CameraInfo), installs the image provider "palettes" in
/// `engine` and makes the style "qeltstyle" and "com.qelt.zelkui" available through
/// libzelkui. The camera controls ("qrc:/zelkcamui/controls") are in the library's
/// resources as soon as it is loaded.
///
/// Call it once a QGuiApplication exists and before loading QML. The types are registered
/// once per process; the image provider goes into every engine passed (null: none).
ZELKIR_EXPORT void zelkirInitPlugin(QQmlEngine* engine);
