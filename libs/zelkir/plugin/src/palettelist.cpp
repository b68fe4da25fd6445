#include "palettelist.h"

namespace zelkir {

PaletteList::PaletteList(std::shared_ptr<const PaletteCatalog> catalog, QObject* parent)
    : QObject(parent)
    , m_catalog(catalog ? std::move(catalog) : PaletteCatalog::load(QString()))
{
}

} // namespace zelkir
