#include "regionstore.h"

#include "regionlistmodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cmath>

namespace zelkir {

namespace {

const QString formatName = QStringLiteral("zelkir-regions");
constexpr int formatVersion = 1;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

std::optional<RegionStoreContents> RegionStore::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return RegionStoreContents();
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    if (file.size() > maximumSize) {
        setError(error, QStringLiteral("%1 is too big for a region file").arg(path));
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(maximumSize + 1), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        setError(error, QStringLiteral("%1 is damaged: %2").arg(path, parseError.errorString()));
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != formatName
        || root.value(QStringLiteral("version")).toInt() != formatVersion
        || !root.value(QStringLiteral("regions")).isArray()) {
        setError(error, QStringLiteral("%1 is not a region file of this version").arg(path));
        return std::nullopt;
    }
    RegionStoreContents contents;
    for (const QJsonValue& value : root.value(QStringLiteral("regions")).toArray()) {
        const QJsonObject entry = value.toObject();
        RegionGeometry geometry;
        const QJsonValue x1 = entry.value(QStringLiteral("x1"));
        const QJsonValue y1 = entry.value(QStringLiteral("y1"));
        const QJsonValue x2 = entry.value(QStringLiteral("x2"));
        const QJsonValue y2 = entry.value(QStringLiteral("y2"));
        if (!RegionListModel::kindFromName(entry.value(QStringLiteral("kind")).toString(), &geometry.kind)
            || !x1.isDouble() || !y1.isDouble() || !x2.isDouble() || !y2.isDouble())
            continue;
        geometry.p1 = QPointF(x1.toDouble(), y1.toDouble());
        geometry.p2 = QPointF(x2.toDouble(), y2.toDouble());
        contents.regions.push_back(geometry);
    }
    contents.objectParameters = root.value(QStringLiteral("objectParameters")).toObject();
    return contents;
}

bool RegionStore::save(const QString& path, const RegionStoreContents& contents, QString* error)
{
    QJsonArray regions;
    for (const RegionGeometry& geometry : contents.regions) {
        regions.append(QJsonObject {
            { QStringLiteral("kind"), RegionListModel::kindName(geometry.kind) },
            { QStringLiteral("x1"), geometry.p1.x() },
            { QStringLiteral("y1"), geometry.p1.y() },
            { QStringLiteral("x2"), geometry.p2.x() },
            { QStringLiteral("y2"), geometry.p2.y() },
        });
    }
    QJsonObject root {
        { QStringLiteral("format"), formatName },
        { QStringLiteral("version"), formatVersion },
        { QStringLiteral("regions"), regions },
    };
    if (!contents.objectParameters.isEmpty())
        root.insert(QStringLiteral("objectParameters"), contents.objectParameters);

    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        setError(error, QStringLiteral("the folder of %1 cannot be created").arg(path));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
        return false;
    }
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        setError(error, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace zelkir
