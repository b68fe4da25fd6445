#include "fakefeaturetree.h"
#include "featuretreemodel.h"

#include <zelkui/zelkui.h>

#include <QFontDatabase>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QStandardPaths>
#include <QtQuickTest>

/// A camera model as the panel sees it, over a feature tree held in memory; writes and
/// reads run at once, and their results come back through the event loop.
class FakeCamera : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(zelkir::FeatureTreeModel* features READ features CONSTANT)
    Q_PROPERTY(bool recording READ recording NOTIFY changed)
    /// The folder of the last snapshot or recording.
    Q_PROPERTY(QString folder READ folder NOTIFY changed)
    Q_PROPERTY(int snapshots READ snapshots NOTIFY changed)

public:
    explicit FakeCamera(QObject* parent = nullptr)
        : QObject(parent)
        , m_tree(FakeFeatureTree::irCamera())
        , m_features(new zelkir::FeatureTreeModel(
              [this](zelkir::FeatureTreeModel* model, zelkir::FeatureTreeModel::Task task) {
                  // Answers later, as a camera thread would.
                  QMetaObject::invokeMethod(
                      model,
                      [model, result = task(*m_tree)] {
                          if (result)
                              result(*model);
                      },
                      Qt::QueuedConnection);
              },
              this))
    {
        m_features->reload();
    }

    zelkir::FeatureTreeModel* features() const { return m_features; }
    bool recording() const { return m_recording; }
    QString folder() const { return m_folder; }
    int snapshots() const { return m_snapshots; }

    Q_INVOKABLE void saveSnapshot(const QString& folder)
    {
        m_folder = folder;
        ++m_snapshots;
        Q_EMIT changed();
    }
    Q_INVOKABLE void startRecording(const QString& folder)
    {
        m_folder = folder;
        m_recording = true;
        Q_EMIT changed();
    }
    Q_INVOKABLE void stopRecording()
    {
        m_recording = false;
        Q_EMIT changed();
    }
    Q_INVOKABLE void refuse(const QString& name, const QString& error)
    {
        m_tree->refuse(name.toStdString(), error.toStdString());
    }
    Q_INVOKABLE QVariant value(const QString& name) const
    {
        return zelkir::FeatureTreeModel::toVariant(m_tree->value(name.toStdString()));
    }
    Q_INVOKABLE int writes() const { return m_tree->writes(); }

Q_SIGNALS:
    void changed();

private:
    std::unique_ptr<FakeFeatureTree> m_tree;
    zelkir::FeatureTreeModel* m_features;
    QString m_folder;
    int m_snapshots = 0;
    bool m_recording = false;
};

/// Sets the programs' style and icon font, and offers the fake camera to the tests.
class Setup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        zelkuiInitPlugin();
        QQuickStyle::setFallbackStyle(QStringLiteral("Basic"));
        QQuickStyle::setStyle(QStringLiteral("qeltstyle"));
        QFontDatabase::addApplicationFont(QStringLiteral(MATERIAL_ICONS_FONT));
        qmlRegisterTypesAndRevisions<FakeCamera>("PanelTest", 1);
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral(":/"));
        engine->rootContext()->setContextProperty(QStringLiteral("documentsPath"),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(tst_cameracontroller, Setup)

#include "tst_cameracontroller.moc"
