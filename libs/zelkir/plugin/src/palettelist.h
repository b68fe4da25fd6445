#pragma once

#include "palettecatalog.h"

#include <QObject>
#include <qqmlregistration.h>

namespace zelkir {

/// A palette catalogue for QML: the `palettes` member of HalvoModel and of every document.
class PaletteList final : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the plugin")
    /// The names in display order; an index into it is a document's paletteIndex.
    Q_PROPERTY(QStringList paletteNames READ paletteNames CONSTANT)
    Q_PROPERTY(int count READ count CONSTANT)

public:
    explicit PaletteList(std::shared_ptr<const PaletteCatalog> catalog, QObject* parent = nullptr);

    QStringList paletteNames() const { return m_catalog->names(); }
    int count() const { return m_catalog->count(); }
    const std::shared_ptr<const PaletteCatalog>& catalog() const { return m_catalog; }

    /// The index of `name`, -1 when there is none.
    Q_INVOKABLE int indexOf(const QString& name) const { return m_catalog->indexOf(name); }

private:
    const std::shared_ptr<const PaletteCatalog> m_catalog;
};

} // namespace zelkir
