#include <zelkui/zelkui.h>

#include <QDir>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QtQuickTest>

// Starts the QML tests the way our programs start: style chosen first, then the
// plugin initialised, with the resource root on the import path.
class Setup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        QQuickStyle::setFallbackStyle("Basic");
        QQuickStyle::setStyle("qeltstyle");
        zelkuiInitPlugin();
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(":/");
        engine->rootContext()->setContextProperty("testHomeUrl", QUrl::fromLocalFile(QDir::homePath()));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(zelkui, Setup)

#include "tst_zelkui.moc"
