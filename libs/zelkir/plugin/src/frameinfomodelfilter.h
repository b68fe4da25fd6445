#pragma once

#include <QAbstractItemModel>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <qqmlregistration.h>

namespace zelkir {

class NameFilterProxyModel;

/// Picks entries of a frame-information model by name. The pick survives changes of the
/// input, so a window keeps its choice across frames and documents.
class FrameInfoModelFilter : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    /// A list model with roles `name` and `value`; null for none.
    Q_PROPERTY(QAbstractItemModel* input READ input WRITE setInput NOTIFY inputChanged)
    /// The picked entries of `input`, in its order, with the same roles.
    Q_PROPERTY(QAbstractItemModel* output READ output CONSTANT)
    /// The picked names, in no particular order.
    Q_PROPERTY(QStringList filter READ filter NOTIFY filterChanged)
    /// Counts every change of the pick, for bindings that call isInFilter().
    Q_PROPERTY(int revision READ revision NOTIFY filterChanged)

public:
    explicit FrameInfoModelFilter(QObject* parent = nullptr);

    QAbstractItemModel* input() const { return m_input; }
    void setInput(QAbstractItemModel* model);
    QAbstractItemModel* output() const;
    QStringList filter() const;
    int revision() const { return m_revision; }

    /// The default pick: frame number, time, minimum, maximum and mean.
    static QStringList defaultNames();

    Q_INVOKABLE void resetFilter();
    Q_INVOKABLE bool isInFilter(const QString& name) const;
    Q_INVOKABLE void addToFilter(const QString& name);
    Q_INVOKABLE void removeFromFilter(const QString& name);
    /// Picks every entry the input has now.
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void unselectAll();

Q_SIGNALS:
    void inputChanged();
    void filterChanged();

private:
    void setNames(const QSet<QString>& names);

    QPointer<QAbstractItemModel> m_input;
    NameFilterProxyModel* m_proxy;
    int m_revision = 0;
};

} // namespace zelkir
