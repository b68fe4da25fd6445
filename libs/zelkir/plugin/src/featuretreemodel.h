#pragma once

#include <zelk/cam/gic/featuretree.h>

#include <QAbstractListModel>
#include <QString>
#include <qqmlregistration.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zelkir {

/// The GenICam features of a camera as a flat list for a panel: categories in the camera's
/// order, each followed by what it holds (role `depth` gives the nesting, 0 for the top).
/// Rows show the features at the chosen `visibilityLevel` that match `filter`; categories
/// stay while they hold a row, and a collapsed category hides what it holds.
///
/// Every call into the feature tree runs through the executor given at construction, on
/// the camera's thread; results come back through the main thread's event loop.
/// The model may be destroyed while tasks are out: their results are dropped.
class FeatureTreeModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the camera model")
    /// 0 Beginner, 1 Expert, 2 Guru; other values are clamped.
    Q_PROPERTY(
        int visibilityLevel READ visibilityLevel WRITE setVisibilityLevel NOTIFY visibilityLevelChanged)
    /// Text that a feature's name or display name contains, in any case; empty for all.
    /// A category whose name matches shows all it holds.
    Q_PROPERTY(QString filter READ filter WRITE setFilter NOTIFY filterChanged)
    /// False until the first reload() has come back.
    Q_PROPERTY(bool ready READ isReady NOTIFY readyChanged)
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)

public:
    /// Roles; `type` is the feature type's name ("Category", "Integer", "Float",
    /// "Enumeration", "Boolean", "Command", "String", "Register").
    enum Role {
        NameRole = Qt::UserRole + 1,
        DisplayNameRole,
        DescriptionRole,
        UnitRole,
        TypeRole,
        ReadableRole,
        WritableRole,
        VisibilityRole,
        ValueRole, ///< null until read; Enumeration: the entry's name
        ValueTextRole, ///< the value for people (an entry's display name, "On"/"Off", ...)
        MinimumRole,
        MaximumRole,
        IncrementRole, ///< 0 when the camera gives none
        EntryNamesRole,
        EntryDisplayNamesRole,
        ErrorRole, ///< why the last write was refused, or why the value could not be read
        DepthRole,
        ExpandedRole,
    };
    Q_ENUM(Role)

    /// What a task brings back, applied to the model on the model's thread.
    using Result = std::function<void(FeatureTreeModel&)>;
    using Task = std::function<Result(zelk::cam::gic::IFeatureTree&)>;
    /// Runs a task on the camera's thread, later and in the order given, then applies its
    /// result to `model` on the model's thread, unless the model is gone by then.
    using Executor = std::function<void(FeatureTreeModel* model, Task task)>;

    explicit FeatureTreeModel(Executor post, QObject* parent = nullptr);
    /// A feature's value as QML sees it; registers and commands have none.
    static QVariant toVariant(const zelk::cam::gic::FeatureValue& value);
    ~FeatureTreeModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int visibilityLevel() const { return m_visibilityLevel; }
    void setVisibilityLevel(int level);
    QString filter() const { return m_filter; }
    void setFilter(const QString& filter);
    bool isReady() const { return m_ready; }

    /// Reads the whole tree again: its structure, every description and value.
    Q_INVOKABLE void reload();
    /// Writes a value (a number, a number's text, a boolean, an entry's name or display
    /// name, a text); then the written feature and those it invalidates are read again. A
    /// value that does not fit the feature, or a write the camera refuses, sets the row's
    /// `error` and leaves the value as the camera holds it.
    Q_INVOKABLE void setValue(int row, const QVariant& value);
    /// Executes a Command feature, then reads again what it invalidates.
    Q_INVOKABLE void execute(int row);
    /// Shows or hides what a category holds; other rows are left alone.
    Q_INVOKABLE void setExpanded(int row, bool expanded);
    /// Reads the description and value of every feature shown now.
    Q_INVOKABLE void refreshAllVisible();
    /// The row showing feature `name`, -1 when none does.
    Q_INVOKABLE int rowOf(const QString& name) const;

Q_SIGNALS:
    void visibilityLevelChanged();
    void filterChanged();
    void readyChanged();
    void countChanged();

private:
    /// A feature as read on the camera's thread.
    struct SReading
    {
        zelk::cam::gic::SFeatureInfo info;
        zelk::cam::gic::FeatureValue value;
        QString error;
    };
    struct SNode
    {
        SReading feature;
        QString writeError;
        int depth = 0;
        /// Index just past the node's subtree.
        int end = 0;
        bool expanded = true;
    };

    // Run on the camera's thread; they touch nothing of the model.
    static std::vector<SNode> LoadTree(zelk::cam::gic::IFeatureTree& tree);
    static void LoadChildren(zelk::cam::gic::IFeatureTree& tree, const std::vector<std::string>& names,
        int depth, std::unordered_set<std::string>& seen, std::vector<SNode>& nodes);
    /// False when the camera has no such feature.
    static bool ReadFeature(zelk::cam::gic::IFeatureTree& tree, const std::string& name, SReading& reading);

    void write(int nodeIndex, const zelk::cam::gic::FeatureValue& value);
    void doneLoading(std::vector<SNode> nodes);
    void doneWriting(const std::string& name, const QString& refusal, const std::vector<SReading>& readings);
    void doneReading(const std::vector<SReading>& readings);
    void updateRows();
    void collectRows(int first, int last, bool matchedAbove, std::vector<int>& rows) const;
    bool matchesFilter(const SNode& node) const;
    void changedNode(int node, const QList<int>& roles = {});

    Executor m_post;
    /// Owns nothing: tasks hold it weakly, to learn on the main thread whether the model is still there.
    std::vector<SNode> m_nodes;
    std::unordered_map<std::string, int> m_nodeOf;
    /// Node indices of the rows, ascending.
    std::vector<int> m_rows;
    int m_visibilityLevel = 0;
    QString m_filter;
    bool m_ready = false;
};

} // namespace zelkir
