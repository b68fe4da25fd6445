#include "palettecatalog.h"

#include <zelkir/pipeline/paletteloader.h>

namespace zelkir {

std::shared_ptr<const PaletteCatalog> PaletteCatalog::load(const QString& directory)
{
    auto catalog = std::make_shared<PaletteCatalog>();
    // An empty name would mean the working directory to QDir.
    const std::vector<PaletteLoader::NamedPalette> found = directory.isEmpty()
        ? std::vector<PaletteLoader::NamedPalette>()
        : PaletteLoader::loadDirectory(directory);
    for (const PaletteLoader::NamedPalette& entry : found) {
        catalog->m_names.append(entry.name);
        catalog->m_palettes.push_back(std::make_shared<const Palette>(entry.palette));
    }
    // Grey is the one palette every window may rely on, resources or not.
    if (!catalog->m_names.contains(grayscaleName())) {
        catalog->m_names.prepend(grayscaleName());
        catalog->m_palettes.insert(catalog->m_palettes.begin(), std::make_shared<const Palette>());
    }
    return catalog;
}

std::shared_ptr<const PaletteCatalog> PaletteCatalog::programPalettes()
{
    static const std::shared_ptr<const PaletteCatalog> catalog = load(QStringLiteral(":/palettes"));
    return catalog;
}

std::shared_ptr<const Palette> PaletteCatalog::palette(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_palettes[std::size_t(index)];
}

} // namespace zelkir
