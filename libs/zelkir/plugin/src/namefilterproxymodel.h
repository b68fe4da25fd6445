#pragma once

#include <QSet>
#include <QSortFilterProxyModel>

namespace zelkir {

/// Passes the rows of a list model whose role "name" is in a set, in the source's order.
class NameFilterProxyModel final : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setNames(const QSet<QString>& names);
    const QSet<QString>& names() const { return m_names; }

    void setSourceModel(QAbstractItemModel* model) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    static int nameRole(const QAbstractItemModel* model);
    void updateNameRole();

    QSet<QString> m_names;
    int m_nameRole = -1;
};

} // namespace zelkir
