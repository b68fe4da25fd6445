#include "namefilterproxymodel.h"

namespace zelkir {

void NameFilterProxyModel::setNames(const QSet<QString>& names)
{
    if (names == m_names)
        return;
    m_names = names;
    invalidateRowsFilter();
}

void NameFilterProxyModel::setSourceModel(QAbstractItemModel* model)
{
    // The role must be known before the base class filters the new rows.
    m_nameRole = nameRole(model);
    QSortFilterProxyModel::setSourceModel(model);
    if (model) {
        connect(model, &QAbstractItemModel::modelReset, this, &NameFilterProxyModel::updateNameRole,
            Qt::UniqueConnection);
    }
}

int NameFilterProxyModel::nameRole(const QAbstractItemModel* model)
{
    return model ? model->roleNames().key(QByteArrayLiteral("name"), -1) : -1;
}

void NameFilterProxyModel::updateNameRole()
{
    const int role = nameRole(sourceModel());
    if (role == m_nameRole)
        return;
    m_nameRole = role;
    invalidateRowsFilter();
}

bool NameFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_nameRole < 0 || sourceParent.isValid())
        return false;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return m_names.contains(index.data(m_nameRole).toString());
}

} // namespace zelkir
