#pragma once

#include "regionstatistics.h"

#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

namespace zelkir {

/// What a document keeps beside its file or per camera: its regions, and the object
/// parameters' own section, which the store passes through untouched.
struct RegionStoreContents
{
    std::vector<RegionGeometry> regions;
    QJsonObject objectParameters;
};

/// Reads and writes the JSON file {"format":"zelkir-regions","version":1,"regions":[{"kind":
/// "box","x1":..,"y1":..,"x2":..,"y2":..}],"objectParameters":{..}}.
class RegionStore
{
public:
    /// Larger files are not ours: refused unread.
    static constexpr qint64 maximumSize = 1024 * 1024;

    /// The contents of `path`; empty contents when there is no such file. Null with a
    /// sentence in `error` when the file cannot be read, is too big, damaged or foreign.
    /// Regions of unknown kinds or without finite coordinates are skipped.
    static std::optional<RegionStoreContents> load(const QString& path, QString* error = nullptr);
    /// Writes the file as a whole or not at all, creating its folder. False with a sentence
    /// in `error` when that fails.
    static bool save(const QString& path, const RegionStoreContents& contents, QString* error = nullptr);
};

} // namespace zelkir
