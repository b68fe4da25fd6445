#pragma once

#include <zelkir/pipeline/palette.h>

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace zelkir {

/// The palettes a program offers, by name, read once. Immutable after construction, so one
/// catalogue is shared by every document and the image provider, from any thread.
class PaletteCatalog
{
public:
    /// Every .rpal file of `directory` (":/palettes" in the programs), sorted by name, plus a
    /// built-in "Grayscale" when the directory has none of that name. An empty `directory`
    /// gives "Grayscale" alone.
    static std::shared_ptr<const PaletteCatalog> load(const QString& directory);
    /// The programs' catalogue from ":/palettes", loaded on first use.
    static std::shared_ptr<const PaletteCatalog> programPalettes();

    static QString grayscaleName() { return QStringLiteral("Grayscale"); }

    const QStringList& names() const { return m_names; }
    int count() const { return int(m_palettes.size()); }
    /// The palette at `index`, or null when out of range.
    std::shared_ptr<const Palette> palette(int index) const;
    /// The index of `name` (exact match), -1 when absent.
    int indexOf(const QString& name) const { return m_names.indexOf(name); }

private:
    QStringList m_names;
    std::vector<std::shared_ptr<const Palette>> m_palettes;
};

} // namespace zelkir
