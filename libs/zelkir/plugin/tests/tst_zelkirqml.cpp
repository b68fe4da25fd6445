#include "samplefiles.h"

#include <zelkir/zelkir.h>

#include <QFile>
#include <QQmlContext>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtQuickTest>

/// Gives the QML tests the sample movie, an unreadable file and the plugin, set up as
/// the programs set it up.
class Setup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        QStandardPaths::setTestModeEnabled(true);
        QFile broken(m_dir.filePath(QStringLiteral("broken.fits")));
        m_ok = m_dir.isValid() && QFile::exists(SampleFiles::moviePath()) && broken.open(QIODevice::WriteOnly)
            && broken.write("SIMPLE  = T broken") > 0;
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
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
    }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_zelkirqml, Setup)

#include "tst_zelkirqml.moc"
