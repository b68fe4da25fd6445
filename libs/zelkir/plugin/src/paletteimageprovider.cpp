#include "paletteimageprovider.h"

#include <QUrl>

namespace zelkir {

PaletteImageProvider::PaletteImageProvider(std::shared_ptr<const PaletteCatalog> catalog)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , m_catalog(std::move(catalog))
{
}

QImage PaletteImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    // Names may arrive percent-encoded when a window builds the URL from text.
    const QString name = QUrl::fromPercentEncoding(id.toUtf8());
    const std::shared_ptr<const Palette> palette = m_catalog->palette(m_catalog->indexOf(name));
    QImage image = palette ? rampImage(*palette) : QImage();
    if (size)
        *size = image.size();
    if (!image.isNull() && requestedSize.isValid() && !requestedSize.isEmpty())
        image = image.scaled(requestedSize);
    return image;
}

QImage PaletteImageProvider::rampImage(const Palette& palette)
{
    QImage image(1, Palette::Levels, QImage::Format_ARGB32);
    for (int level = 0; level < Palette::Levels; ++level)
        image.setPixel(0, Palette::Levels - 1 - level, palette.colour(level));
    return image;
}

} // namespace zelkir
