#include "frameinfomodel.h"

#include <QSet>

namespace zelkir {

int FrameInfoModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant FrameInfoModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Entry& entry = m_entries.at(index.row());
    switch (role) {
    case NameRole:
    case Qt::DisplayRole:
        return entry.name;
    case ValueRole:
        return entry.value;
    default:
        return {};
    }
}

QHash<int, QByteArray> FrameInfoModel::roleNames() const
{
    return { { NameRole, QByteArrayLiteral("name") }, { ValueRole, QByteArrayLiteral("value") } };
}

void FrameInfoModel::setEntries(QList<Entry> entries)
{
    // The frames of one source name the same entries in the same order, so usually only
    // values are new; that is checked first, as it is for each frame a camera shows.
    bool sameGivenNames = entries.size() == m_givenNames.size();
    for (int row = 0; sameGivenNames && row < entries.size(); ++row)
        sameGivenNames = entries.at(row).name == m_givenNames.at(row);
    if (sameGivenNames) {
        updateValues(entries);
        return;
    }
    m_givenNames.clear();
    for (const Entry& entry : entries)
        m_givenNames.append(entry.name);

    // The filter is keyed by name, so names must be unique.
    QSet<QString> seen;
    for (Entry& entry : entries) {
        const QString base = entry.name;
        for (int n = 2; seen.contains(entry.name); ++n)
            entry.name = QStringLiteral("%1 (%2)").arg(base).arg(n);
        seen.insert(entry.name);
    }

    bool sameNames = entries.size() == m_entries.size();
    for (int row = 0; sameNames && row < entries.size(); ++row)
        sameNames = entries.at(row).name == m_entries.at(row).name;

    if (!sameNames) {
        const bool countChanges = entries.size() != m_entries.size();
        beginResetModel();
        m_entries = std::move(entries);
        endResetModel();
        if (countChanges)
            Q_EMIT countChanged();
        return;
    }
    updateValues(entries);
}

void FrameInfoModel::updateValues(const QList<Entry>& entries)
{
    for (int row = 0; row < entries.size(); ++row) {
        if (entries.at(row).value == m_entries.at(row).value)
            continue;
        m_entries[row].value = entries.at(row).value;
        const QModelIndex changed = index(row);
        Q_EMIT dataChanged(changed, changed, { ValueRole });
    }
}

QString FrameInfoModel::value(const QString& name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.name == name)
            return entry.value;
    }
    return {};
}

} // namespace zelkir
