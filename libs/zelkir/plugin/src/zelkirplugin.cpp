#include <zelkir/zelkir.h>

#include "documentmodel.h"
#include "fileplayer.h"
#include "frameinfomodel.h"
#include "frameinfomodelfilter.h"
#include "halvomodel.h"
#include "imageenhancementmodel.h"
#include "paletteimageprovider.h"
#include "palettelist.h"

#include <zelkui/zelkui.h>

#ifdef ZELKIR_HAVE_VIEWS
#include <zelkir/views/imageview.h>
#include <zelkir/views/roiimageview.h>
#endif

#include <QQmlEngine>
#include <QtQml>

namespace {

constexpr const char* Uri = "com.qelt.zelkir";

void registerTypes()
{
    using namespace zelkir;
    qmlRegisterType<HalvoModel>(Uri, 1, 0, "HalvoModel");
    qmlRegisterType<FrameInfoModelFilter>(Uri, 1, 0, "FrameInfoModelFilter");
    const QString made = QStringLiteral("made by the plugin");
    qmlRegisterUncreatableType<DocumentModel>(Uri, 1, 0, "DocumentModel", made);
    qmlRegisterUncreatableType<ImageEnhancementModel>(Uri, 1, 0, "ImageEnhancementModel", made);
    qmlRegisterUncreatableType<FilePlayer>(Uri, 1, 0, "FilePlayer", made);
    qmlRegisterUncreatableType<FrameInfoModel>(Uri, 1, 0, "FrameInfoModel", made);
    qmlRegisterUncreatableType<PaletteList>(Uri, 1, 0, "PaletteList", made);
#ifdef ZELKIR_HAVE_VIEWS
    qmlRegisterType<RoiImageView>(Uri, 1, 0, "RoiImageView");
    qmlRegisterType<ImageView>(Uri, 1, 0, "ImageView");
#endif
    qmlRegisterModule(Uri, 1, 0);
}

} // namespace

void zelkirInitPlugin(QQmlEngine* engine)
{
    static const bool registered = [] {
        registerTypes();
        return true;
    }();
    Q_UNUSED(registered);
    zelkuiInitPlugin();
    if (engine && !engine->imageProvider(QStringLiteral("palettes"))) {
        engine->addImageProvider(QStringLiteral("palettes"),
            new zelkir::PaletteImageProvider(zelkir::PaletteCatalog::programPalettes()));
    }
}
