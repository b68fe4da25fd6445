#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <qqmlregistration.h>

namespace zelkir {

/// The information entries of the current frame: roles `name` (unique) and `value`
/// (display text).
class FrameInfoModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the plugin")
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)

public:
    enum Role { NameRole = Qt::UserRole + 1, ValueRole };
    Q_ENUM(Role)

    struct Entry
    {
        QString name;
        QString value;
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    /// Replaces the entries. When the names stay the same only changed values are
    /// reported, so views keep their rows. Repeated names get " (2)", " (3)", ... added.
    void setEntries(QList<Entry> entries);
    const QList<Entry>& entries() const { return m_entries; }
    /// The value of entry `name`, empty when there is none.
    Q_INVOKABLE QString value(const QString& name) const;

Q_SIGNALS:
    void countChanged();

private:
    /// `entries` name the same rows as m_entries.
    void updateValues(const QList<Entry>& entries);

    QList<Entry> m_entries;
    /// The names of the last entries set, before they were made unique.
    QStringList m_givenNames;
};

} // namespace zelkir
