#include "samplefiles.h"

#include <zelkir/zelkir.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtQuickTest>

/// Gives the QML tests the sample movie, an unreadable file and the plugin, set up as
/// the programs set it up, a scratch folder, and the simulated cameras when there are any.
class Setup : public QObject
{
    Q_OBJECT

public:
    /// Writes `text` to `path`, making its folder, for files the plugin does not write itself.
    Q_INVOKABLE bool writeFile(const QString& path, const QString& text)
    {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
            && file.write(text.toUtf8()) >= 0;
    }

public Q_SLOTS:
    void applicationAvailable()
    {
        QStandardPaths::setTestModeEnabled(true);
        QQuickStyle::setFallbackStyle(QStringLiteral("Basic"));
        QQuickStyle::setStyle(QStringLiteral("qeltstyle"));
        QFile broken(m_dir.filePath(QStringLiteral("broken.fits")));
        m_ok = m_dir.isValid() && QFile::exists(SampleFiles::moviePath()) && broken.open(QIODevice::WriteOnly)
            && broken.write("SIMPLE  = T broken") > 0;
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral(":/")); // the style, as the programs find it
        zelkirInitPlugin(engine);
        QQmlContext* context = engine->rootContext();
        context->setContextProperty(QStringLiteral("samplesReady"), m_ok);
        context->setContextProperty(
            QStringLiteral("sampleUrl"), QUrl::fromLocalFile(SampleFiles::moviePath()).toString());
        context->setContextProperty(QStringLiteral("brokenUrl"),
            QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("broken.fits"))).toString());
        context->setContextProperty(QStringLiteral("sampleWidth"), SampleFiles::movieWidth);
        context->setContextProperty(QStringLiteral("sampleHeight"), SampleFiles::movieHeight);
        context->setContextProperty(QStringLiteral("sampleFrames"), SampleFiles::movieFrames);
        context->setContextProperty(QStringLiteral("setup"), this);
        context->setContextProperty(QStringLiteral("tempDir"), m_dir.path());
        context->setContextProperty(QStringLiteral("fakeCameraAddresses"),
            qEnvironmentVariable("QELT_FAKE_CAMERAS").split(u' ', Qt::SkipEmptyParts));
        context->setContextProperty(QStringLiteral("fakeCameraSerials"),
            qEnvironmentVariable("QELT_FAKE_CAMERA_SERIALS").split(u' ', Qt::SkipEmptyParts));
        // Where to leave pictures of the popups for a look; none when unset.
        context->setContextProperty(
            QStringLiteral("screenshotDir"), qEnvironmentVariable("ZELKIR_SCREENSHOT_DIR"));
    }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_zelkirqml, Setup)

#include "tst_zelkirqml.moc"
