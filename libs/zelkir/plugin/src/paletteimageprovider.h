#pragma once

#include "palettecatalog.h"

#include <QQuickImageProvider>

namespace zelkir {

/// "image://palettes/<name>": the palette's ramp as a 1 x 256 image, the hottest level at
/// the top row and the coldest at the bottom, ready to stand as a vertical colour bar.
/// Unknown names give an empty image.
class PaletteImageProvider final : public QQuickImageProvider
{
public:
    explicit PaletteImageProvider(std::shared_ptr<const PaletteCatalog> catalog);

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

    /// The ramp of `palette` as requestImage() draws it.
    static QImage rampImage(const Palette& palette);

private:
    const std::shared_ptr<const PaletteCatalog> m_catalog;
};

} // namespace zelkir
