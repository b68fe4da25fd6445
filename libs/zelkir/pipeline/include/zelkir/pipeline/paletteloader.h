#pragma once

#include <zelkir/pipeline/palette.h>

#include <QString>

#include <optional>
#include <vector>

namespace zelkir {

/// Reads .rpal files from disk or from Qt resources (":/palettes/...").
class PaletteLoader
{
public:
    struct NamedPalette
    {
        QString name; ///< the file name without its extension
        Palette palette;
    };

    /// The palette in the file, or nothing when it cannot be read or is not a valid palette
    /// (the reason goes to the "zelkir.pipeline" logging category). Files over 1 MiB are refused.
    static std::optional<Palette> loadFile(const QString& path);

    /// Every readable "*.rpal" file of a directory, sorted by name; unreadable ones are skipped.
    static std::vector<NamedPalette> loadDirectory(const QString& directory);
};

} // namespace zelkir
