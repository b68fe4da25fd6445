// Runs the Livano window tests among simulated cameras, with the engine prepared as the
// program's start-up prepares it.
#include <zelkir/zelkir.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QApplication>
#include <QtQuickTest>

#include <csignal>
#include <sys/types.h>

/// The simulated cameras and the files the window reads, as the tests change them.
class Setup : public QObject
{
    Q_OBJECT

public:
    /// Ends camera `index` at once, as a pulled cable would; false when there is no such camera.
    Q_INVOKABLE bool killCamera(int index) const
    {
        const pid_t pid = pid_t(m_pids.value(index).toLongLong());
        return pid > 0 && ::kill(pid, SIGKILL) == 0;
    }

    /// Writes `text` to `path`, making its folder.
    Q_INVOKABLE bool writeFile(const QString& path, const QString& text) const
    {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
            && file.write(text.toUtf8()) >= 0;
    }

    /// Removes `path`; true when it is gone.
    Q_INVOKABLE bool removeFile(const QString& path) const
    {
        return QFile::remove(path) || !QFile::exists(path);
    }

public Q_SLOTS:
    void applicationAvailable()
    {
        // A home of its own, so that runs side by side never share the remembered camera.
        qputenv("HOME", m_home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QQuickStyle::setFallbackStyle(QStringLiteral("Basic"));
        QQuickStyle::setStyle(QStringLiteral("qeltstyle"));
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        // The program's order: the shared folder is searched ahead of the resource root.
        engine->addImportPath(QStringLiteral(":/"));
        engine->addImportPath(QStringLiteral("qrc:/common"));
        zelkirInitPlugin(engine);
        QQmlContext* context = engine->rootContext();
        context->setContextProperty(QStringLiteral("setup"), this);
        context->setContextProperty(QStringLiteral("cameraAddresses"), words("QELT_FAKE_CAMERAS"));
        context->setContextProperty(QStringLiteral("cameraSerials"), words("QELT_FAKE_CAMERA_SERIALS"));
    }

private:
    static QStringList words(const char* variable)
    {
        return qEnvironmentVariable(variable).split(u' ', Qt::SkipEmptyParts);
    }

    const QStringList m_pids = words("QELT_FAKE_CAMERA_PIDS");
    QTemporaryDir m_home;
};

int main(int argc, char** argv)
{
    // The measurement panel's charts draw through a widgets graphics scene, as in the program.
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    Setup setup;
    return quick_test_main_with_setup(argc, argv, "tst_livanowindow", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "tst_livanowindow.moc"
