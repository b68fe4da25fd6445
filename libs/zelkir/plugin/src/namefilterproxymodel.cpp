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
    QSortFilterProxyModel::setSourceModel(model);
    findNameRole();
    if (model) {
        // A reset may bring a model whose roles are only known now.
        connect(model, &QAbstractItemModel::modelReset, this, &NameFilterProxyModel::findNameRole,
            Qt::UniqueConnection);
    }
}

void NameFilterProxyModel::findNameRole()
{
    m_nameRole = sourceModel() ? sourceModel()->roleNames().key(QByteArrayLiteral("name"), -1) : -1;
}

bool NameFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_nameRole < 0 || sourceParent.isValid())
        return false;
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return m_names.contains(index.data(m_nameRole).toString());
}

} // namespace zelkir
