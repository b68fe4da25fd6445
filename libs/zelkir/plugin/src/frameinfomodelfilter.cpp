#include "frameinfomodelfilter.h"

#include "frameinfonames.h"
#include "namefilterproxymodel.h"

namespace zelkir {

FrameInfoModelFilter::FrameInfoModelFilter(QObject* parent)
    : QObject(parent)
    , m_proxy(new NameFilterProxyModel(this))
{
    const QStringList names = defaultNames();
    m_proxy->setNames(QSet<QString>(names.cbegin(), names.cend()));
}

void FrameInfoModelFilter::setInput(QAbstractItemModel* model)
{
    if (model == m_input)
        return;
    if (m_input)
        disconnect(m_input, &QObject::destroyed, this, nullptr);
    m_input = model;
    m_proxy->setSourceModel(model);
    // A deleted input reads as null from then on.
    if (model)
        connect(model, &QObject::destroyed, this, &FrameInfoModelFilter::inputChanged);
    Q_EMIT inputChanged();
}

QAbstractItemModel* FrameInfoModelFilter::output() const
{
    return m_proxy;
}

QStringList FrameInfoModelFilter::filter() const
{
    return QStringList(m_proxy->names().cbegin(), m_proxy->names().cend());
}

QStringList FrameInfoModelFilter::defaultNames()
{
    return { FrameInfoNames::frameNumber(), FrameInfoNames::time(), FrameInfoNames::minimum(),
        FrameInfoNames::maximum(), FrameInfoNames::mean() };
}

void FrameInfoModelFilter::resetFilter()
{
    const QStringList names = defaultNames();
    setNames(QSet<QString>(names.cbegin(), names.cend()));
}

bool FrameInfoModelFilter::isInFilter(const QString& name) const
{
    return m_proxy->names().contains(name);
}

void FrameInfoModelFilter::addToFilter(const QString& name)
{
    QSet<QString> names = m_proxy->names();
    names.insert(name);
    setNames(names);
}

void FrameInfoModelFilter::removeFromFilter(const QString& name)
{
    QSet<QString> names = m_proxy->names();
    names.remove(name);
    setNames(names);
}

void FrameInfoModelFilter::selectAll()
{
    QSet<QString> names = m_proxy->names();
    const int nameRole = m_input ? m_input->roleNames().key(QByteArrayLiteral("name"), -1) : -1;
    if (nameRole >= 0) {
        for (int row = 0; row < m_input->rowCount(); ++row)
            names.insert(m_input->index(row, 0).data(nameRole).toString());
    }
    setNames(names);
}

void FrameInfoModelFilter::unselectAll()
{
    setNames({});
}

void FrameInfoModelFilter::setNames(const QSet<QString>& names)
{
    if (names == m_proxy->names())
        return;
    m_proxy->setNames(names);
    ++m_revision;
    Q_EMIT filterChanged();
}

} // namespace zelkir
