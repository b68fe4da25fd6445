#include "featuretreemodel.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

using namespace zelk::cam::gic;

namespace zelkir {

namespace {

// Deeper nesting than any camera description uses; it stops a description that loops.
constexpr int maxDepth = 16;

bool isReadable(const SFeatureInfo& info)
{
    return info.access == EAccessMode::ReadOnly || info.access == EAccessMode::ReadWrite;
}

bool isWritable(const SFeatureInfo& info)
{
    return info.access == EAccessMode::WriteOnly || info.access == EAccessMode::ReadWrite;
}

bool hasValue(EFeatureType type)
{
    return type != EFeatureType::Category && type != EFeatureType::Command && type != EFeatureType::Register;
}

QString typeName(EFeatureType type)
{
    switch (type) {
    case EFeatureType::Category:
        return QStringLiteral("Category");
    case EFeatureType::Integer:
        return QStringLiteral("Integer");
    case EFeatureType::Float:
        return QStringLiteral("Float");
    case EFeatureType::Enumeration:
        return QStringLiteral("Enumeration");
    case EFeatureType::Boolean:
        return QStringLiteral("Boolean");
    case EFeatureType::Command:
        return QStringLiteral("Command");
    case EFeatureType::String:
        return QStringLiteral("String");
    case EFeatureType::Register:
        return QStringLiteral("Register");
    }
    return QString();
}

bool isIntegerType(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// What `value` means for a feature of `info`'s type; false with a sentence when it fits not.
bool ToFeatureValue(const SFeatureInfo& info, const QVariant& value, FeatureValue& out, QString& problem)
{
    const QString text = value.toString().trimmed();
    switch (info.type) {
    case EFeatureType::Integer: {
        bool ok = false;
        if (isIntegerType(value) && value.typeId() != QMetaType::ULongLong) {
            out = std::int64_t(value.toLongLong(&ok));
            return true;
        }
        const qlonglong exact = text.toLongLong(&ok);
        if (ok) {
            out = std::int64_t(exact);
            return true;
        }
        // Numbers from QML arrive as doubles.
        const double number = value.typeId() == QMetaType::QString ? text.toDouble(&ok) : value.toDouble(&ok);
        if (ok && std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 9.2e18) {
            out = std::int64_t(number);
            return true;
        }
        problem = FeatureTreeModel::tr("Not a whole number.");
        return false;
    }
    case EFeatureType::Float: {
        bool ok = false;
        const double number = value.typeId() == QMetaType::QString ? text.toDouble(&ok) : value.toDouble(&ok);
        if (ok && std::isfinite(number)) {
            out = number;
            return true;
        }
        problem = FeatureTreeModel::tr("Not a number.");
        return false;
    }
    case EFeatureType::Boolean:
        if (value.typeId() == QMetaType::Bool || isIntegerType(value)
            || value.typeId() == QMetaType::Double) {
            out = value.toBool();
            return true;
        }
        for (const auto& [word, meaning] : { std::pair { "true", true }, { "on", true }, { "1", true },
                 { "false", false }, { "off", false }, { "0", false } }) {
            if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
                out = meaning;
                return true;
            }
        }
        problem = FeatureTreeModel::tr("Not on or off.");
        return false;
    case EFeatureType::Enumeration:
        for (const SEnumEntry& entry : info.entries) {
            if (text == QString::fromStdString(entry.name)
                || text == QString::fromStdString(entry.displayName)) {
                out = entry.name;
                return true;
            }
        }
        problem = FeatureTreeModel::tr("\"%1\" is not one of the choices.").arg(text);
        return false;
    case EFeatureType::String:
        out = value.toString().toStdString();
        return true;
    case EFeatureType::Command:
        out = std::monostate();
        return true;
    case EFeatureType::Category:
    case EFeatureType::Register:
        break;
    }
    problem = FeatureTreeModel::tr("This feature cannot be set here.");
    return false;
}

} // namespace

QVariant FeatureTreeModel::toVariant(const FeatureValue& value)
{
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return QVariant::fromValue(qlonglong(*integer));
    if (const auto* number = std::get_if<double>(&value))
        return *number;
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag;
    if (const auto* text = std::get_if<std::string>(&value))
        return QString::fromStdString(*text);
    return QVariant();
}

namespace {

QString valueText(const SFeatureInfo& info, const FeatureValue& value)
{
    if (info.type == EFeatureType::Register)
        return FeatureTreeModel::tr("%1 bytes").arg(info.registerLength);
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return QString::number(*integer);
    // Seven digits: what a float register holds, without the binary noise of a double.
    if (const auto* number = std::get_if<double>(&value))
        return QString::number(*number, 'g', 7);
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? FeatureTreeModel::tr("On") : FeatureTreeModel::tr("Off");
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (info.type == EFeatureType::Enumeration) {
            for (const SEnumEntry& entry : info.entries) {
                if (entry.name == *text)
                    return QString::fromStdString(entry.displayName);
            }
        }
        return QString::fromStdString(*text);
    }
    return QString();
}

QStringList entryTexts(const SFeatureInfo& info, bool displayNames)
{
    QStringList texts;
    for (const SEnumEntry& entry : info.entries)
        texts.append(QString::fromStdString(displayNames ? entry.displayName : entry.name));
    return texts;
}

} // namespace

FeatureTreeModel::FeatureTreeModel(Executor post, QObject* parent)
    : QAbstractListModel(parent)
    , m_post(std::move(post))
{
}

FeatureTreeModel::~FeatureTreeModel() = default;

int FeatureTreeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant FeatureTreeModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const SNode& node = m_nodes[m_rows[index.row()]];
    const SFeatureInfo& info = node.feature.info;
    switch (role) {
    case NameRole:
        return QString::fromStdString(info.name);
    case Qt::DisplayRole:
    case DisplayNameRole:
        return QString::fromStdString(info.displayName);
    case DescriptionRole:
        return QString::fromStdString(info.description);
    case UnitRole:
        return QString::fromStdString(info.unit);
    case TypeRole:
        return typeName(info.type);
    case ReadableRole:
        return isReadable(info);
    case WritableRole:
        return isWritable(info);
    case VisibilityRole:
        return int(info.visibility);
    case ValueRole:
        return toVariant(node.feature.value);
    case ValueTextRole:
        return valueText(info, node.feature.value);
    case MinimumRole:
        return info.minimum;
    case MaximumRole:
        return info.maximum;
    case IncrementRole:
        return info.increment;
    case EntryNamesRole:
        return entryTexts(info, false);
    case EntryDisplayNamesRole:
        return entryTexts(info, true);
    case ErrorRole:
        return node.writeError.isEmpty() ? node.feature.error : node.writeError;
    case DepthRole:
        return node.depth;
    case ExpandedRole:
        return node.expanded;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> FeatureTreeModel::roleNames() const
{
    return {
        { NameRole, "name" },
        { DisplayNameRole, "displayName" },
        { DescriptionRole, "description" },
        { UnitRole, "unit" },
        { TypeRole, "type" },
        { ReadableRole, "readable" },
        { WritableRole, "writable" },
        { VisibilityRole, "visibility" },
        { ValueRole, "value" },
        { ValueTextRole, "valueText" },
        { MinimumRole, "minimum" },
        { MaximumRole, "maximum" },
        { IncrementRole, "increment" },
        { EntryNamesRole, "entryNames" },
        { EntryDisplayNamesRole, "entryDisplayNames" },
        { ErrorRole, "error" },
        { DepthRole, "depth" },
        { ExpandedRole, "expanded" },
    };
}

void FeatureTreeModel::setVisibilityLevel(int level)
{
    level = std::clamp(level, int(EVisibility::Beginner), int(EVisibility::Guru));
    if (level == m_visibilityLevel)
        return;
    m_visibilityLevel = level;
    updateRows();
    Q_EMIT visibilityLevelChanged();
}

void FeatureTreeModel::setFilter(const QString& filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    updateRows();
    Q_EMIT filterChanged();
}

void FeatureTreeModel::reload()
{
    if (!m_post)
        return;
    m_post(this, [](IFeatureTree& tree) -> Result {
        return [nodes = LoadTree(tree)](
                   FeatureTreeModel& model) mutable { model.doneLoading(std::move(nodes)); };
    });
}

void FeatureTreeModel::setValue(int row, const QVariant& value)
{
    if (row < 0 || row >= rowCount())
        return;
    const int nodeIndex = m_rows[row];
    SNode& node = m_nodes[nodeIndex];
    FeatureValue converted;
    QString problem;
    if (!ToFeatureValue(node.feature.info, value, converted, problem)) {
        node.writeError = problem;
        // Also puts the editor back to the value the camera holds.
        changedNode(nodeIndex);
        return;
    }
    write(nodeIndex, converted);
}

void FeatureTreeModel::execute(int row)
{
    if (row >= 0 && row < rowCount() && m_nodes[m_rows[row]].feature.info.type == EFeatureType::Command)
        write(m_rows[row], std::monostate());
}

void FeatureTreeModel::write(int nodeIndex, const FeatureValue& value)
{
    SNode& node = m_nodes[nodeIndex];
    if (!node.writeError.isEmpty()) {
        node.writeError.clear();
        changedNode(nodeIndex, { ErrorRole });
    }
    if (!m_post)
        return;
    m_post(this, [name = node.feature.info.name, value](IFeatureTree& tree) -> Result {
        std::string error;
        const bool written = tree.write(name, value, error);
        std::vector<std::string> names { name };
        for (std::string& other : tree.invalidatedBy(name)) {
            if (std::find(names.begin(), names.end(), other) == names.end())
                names.push_back(std::move(other));
        }
        std::vector<SReading> readings;
        for (const std::string& each : names) {
            SReading reading;
            if (ReadFeature(tree, each, reading))
                readings.push_back(std::move(reading));
        }
        QString refusal;
        if (!written)
            refusal = error.empty() ? tr("The camera refused the value.") : QString::fromStdString(error);
        return [name, refusal, readings = std::move(readings)](
                   FeatureTreeModel& model) { model.doneWriting(name, refusal, readings); };
    });
}

void FeatureTreeModel::setExpanded(int row, bool expanded)
{
    if (row < 0 || row >= rowCount())
        return;
    SNode& node = m_nodes[m_rows[row]];
    if (node.feature.info.type != EFeatureType::Category || node.expanded == expanded)
        return;
    node.expanded = expanded;
    changedNode(m_rows[row], { ExpandedRole });
    updateRows();
}

void FeatureTreeModel::refreshAllVisible()
{
    std::vector<std::string> names;
    for (int nodeIndex : m_rows) {
        if (m_nodes[nodeIndex].feature.info.type != EFeatureType::Category)
            names.push_back(m_nodes[nodeIndex].feature.info.name);
    }
    if (!m_post || names.empty())
        return;
    m_post(this, [names = std::move(names)](IFeatureTree& tree) -> Result {
        std::vector<SReading> readings;
        for (const std::string& name : names) {
            SReading reading;
            if (ReadFeature(tree, name, reading))
                readings.push_back(std::move(reading));
        }
        return [readings = std::move(readings)](FeatureTreeModel& model) { model.doneReading(readings); };
    });
}

int FeatureTreeModel::rowOf(const QString& name) const
{
    const auto found = m_nodeOf.find(name.toStdString());
    if (found == m_nodeOf.end())
        return -1;
    const auto row = std::lower_bound(m_rows.begin(), m_rows.end(), found->second);
    return row != m_rows.end() && *row == found->second ? int(row - m_rows.begin()) : -1;
}

std::vector<FeatureTreeModel::SNode> FeatureTreeModel::LoadTree(IFeatureTree& tree)
{
    std::vector<SNode> nodes;
    SFeatureInfo root;
    if (!tree.describe(tree.rootCategory(), root))
        return nodes;
    std::unordered_set<std::string> seen { root.name };
    LoadChildren(tree, root.children, 0, seen, nodes);
    return nodes;
}

void FeatureTreeModel::LoadChildren(IFeatureTree& tree, const std::vector<std::string>& names, int depth,
    std::unordered_set<std::string>& seen, std::vector<SNode>& nodes)
{
    if (depth > maxDepth)
        return;
    for (const std::string& name : names) {
        // A feature listed twice shows once, where it is met first.
        if (!seen.insert(name).second)
            continue;
        SNode node;
        if (!ReadFeature(tree, name, node.feature) || node.feature.info.visibility == EVisibility::Invisible)
            continue;
        node.depth = depth;
        const std::size_t index = nodes.size();
        nodes.push_back(std::move(node));
        if (nodes[index].feature.info.type == EFeatureType::Category) {
            const std::vector<std::string> children = nodes[index].feature.info.children;
            LoadChildren(tree, children, depth + 1, seen, nodes);
        }
        nodes[index].end = int(nodes.size());
    }
}

bool FeatureTreeModel::ReadFeature(IFeatureTree& tree, const std::string& name, SReading& reading)
{
    if (!tree.describe(name, reading.info))
        return false;
    if (isReadable(reading.info) && hasValue(reading.info.type)) {
        std::string error;
        if (!tree.read(name, reading.value, error)) {
            reading.value = std::monostate();
            reading.error
                = error.empty() ? tr("The value could not be read.") : QString::fromStdString(error);
        }
    }
    return true;
}

void FeatureTreeModel::doneLoading(std::vector<SNode> nodes)
{
    beginResetModel();
    m_nodes = std::move(nodes);
    m_nodeOf.clear();
    for (std::size_t i = 0; i < m_nodes.size(); ++i)
        m_nodeOf.emplace(m_nodes[i].feature.info.name, int(i));
    m_rows.clear();
    collectRows(0, int(m_nodes.size()), false, m_rows);
    endResetModel();
    Q_EMIT countChanged();
    if (!m_ready) {
        m_ready = true;
        Q_EMIT readyChanged();
    }
}

void FeatureTreeModel::doneWriting(
    const std::string& name, const QString& refusal, const std::vector<SReading>& readings)
{
    const auto found = m_nodeOf.find(name);
    if (found != m_nodeOf.end()) {
        m_nodes[found->second].writeError = refusal;
        // Puts the editor back even when the feature could not be read again.
        changedNode(found->second);
    }
    doneReading(readings);
}

void FeatureTreeModel::doneReading(const std::vector<SReading>& readings)
{
    for (const SReading& reading : readings) {
        const auto found = m_nodeOf.find(reading.info.name);
        if (found == m_nodeOf.end())
            continue;
        SReading& feature = m_nodes[found->second].feature;
        // The rows were laid out from the first description; a category keeps its place.
        if (feature.info.type == EFeatureType::Category)
            continue;
        feature = reading;
        changedNode(found->second);
    }
}

void FeatureTreeModel::changedNode(int nodeIndex, const QList<int>& roles)
{
    const auto row = std::lower_bound(m_rows.begin(), m_rows.end(), nodeIndex);
    if (row == m_rows.end() || *row != nodeIndex)
        return;
    const QModelIndex changed = index(int(row - m_rows.begin()));
    Q_EMIT dataChanged(changed, changed, roles);
}

bool FeatureTreeModel::matchesFilter(const SNode& node) const
{
    const QString filter = m_filter.trimmed();
    return filter.isEmpty()
        || QString::fromStdString(node.feature.info.name).contains(filter, Qt::CaseInsensitive)
        || QString::fromStdString(node.feature.info.displayName).contains(filter, Qt::CaseInsensitive);
}

void FeatureTreeModel::collectRows(int first, int last, bool matchedAbove, std::vector<int>& rows) const
{
    for (int i = first; i < last; i = m_nodes[i].end) {
        const SNode& node = m_nodes[i];
        if (int(node.feature.info.visibility) > m_visibilityLevel)
            continue;
        const bool matched = matchedAbove || matchesFilter(node);
        if (node.feature.info.type != EFeatureType::Category) {
            if (matched)
                rows.push_back(i);
            continue;
        }
        std::vector<int> inner;
        collectRows(i + 1, node.end, matched, inner);
        if (inner.empty())
            continue;
        rows.push_back(i);
        if (node.expanded)
            rows.insert(rows.end(), inner.begin(), inner.end());
    }
}

void FeatureTreeModel::updateRows()
{
    std::vector<int> next;
    collectRows(0, int(m_nodes.size()), false, next);
    // Both lists ascend through the same nodes: remove and insert runs, so that views keep
    // their place and the rows that stay.
    const std::size_t before = m_rows.size();
    std::size_t row = 0;
    std::size_t j = 0;
    while (row < m_rows.size() || j < next.size()) {
        if (row < m_rows.size() && j < next.size() && m_rows[row] == next[j]) {
            ++row;
            ++j;
        } else if (row < m_rows.size() && (j == next.size() || m_rows[row] < next[j])) {
            std::size_t end = row;
            while (end < m_rows.size() && (j == next.size() || m_rows[end] < next[j]))
                ++end;
            beginRemoveRows(QModelIndex(), int(row), int(end) - 1);
            m_rows.erase(m_rows.begin() + row, m_rows.begin() + end);
            endRemoveRows();
        } else {
            std::size_t end = j;
            while (end < next.size() && (row == m_rows.size() || next[end] < m_rows[row]))
                ++end;
            beginInsertRows(QModelIndex(), int(row), int(row + end - j) - 1);
            m_rows.insert(m_rows.begin() + row, next.begin() + j, next.begin() + end);
            endInsertRows();
            row += end - j;
            j = end;
        }
    }
    if (m_rows.size() != before)
        Q_EMIT countChanged();
}

} // namespace zelkir
