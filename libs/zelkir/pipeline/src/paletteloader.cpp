#include <zelkir/pipeline/paletteloader.h>

#include <zelkir/pipeline/rpalparser.h>

#include "logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zelkir {

namespace {
constexpr qint64 largestPaletteFile = 1 << 20;
}

std::optional<Palette> PaletteLoader::loadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcZelkirPipeline) << "cannot open palette" << path << file.errorString();
        return std::nullopt;
    }
    if (file.size() > largestPaletteFile) {
        qCWarning(lcZelkirPipeline) << "palette file too large:" << path;
        return std::nullopt;
    }
    const QByteArray bytes = file.read(largestPaletteFile + 1);
    RpalParser::Error error = RpalParser::Error::None;
    auto palette = RpalParser::parse(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::size_t>(bytes.size()), &error);
    if (!palette)
        qCWarning(lcZelkirPipeline) << "invalid palette" << path << RpalParser::describe(error);
    return palette;
}

std::vector<PaletteLoader::NamedPalette> PaletteLoader::loadDirectory(const QString& directory)
{
    std::vector<NamedPalette> result;
    const QDir dir(directory);
    const QFileInfoList files
        = dir.entryInfoList({ QStringLiteral("*.rpal") }, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& info : files) {
        if (auto palette = loadFile(info.filePath()))
            result.push_back({ info.completeBaseName(), std::move(*palette) });
    }
    return result;
}

} // namespace zelkir
