// Runs the window tests on the real model over the scripted camera library, in the
// program's own style.
#include "addrixmodel.h"
#include "fakecameracontrol.h"

#include <zelkui/zelkui.h>

#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QtQuickTest/quicktest.h>

class Setup : public QObject
{
    Q_OBJECT
public slots:
    void applicationAvailable()
    {
        QQuickStyle::setFallbackStyle(QStringLiteral("Basic"));
        QQuickStyle::setStyle(QStringLiteral("qeltstyle"));
        zelkuiInitPlugin();
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral(":/"));
        qmlRegisterType<AddrixModel>("com.qelt", 1, 0, "AddrixModel");
        qmlRegisterSingletonType<FakeCameraControl>("Addrix.Testing", 1, 0, "FakeCameras",
                                                    [](QQmlEngine*, QJSEngine*) -> QObject* {
                                                        return new FakeCameraControl;
                                                    });
        engine->rootContext()->setContextProperty(QStringLiteral("addrixDocument"),
                                                  QUrl::fromLocalFile(QStringLiteral(ADDRIX_DOCUMENT)));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(tst_addrixwindow, Setup)
#include "tst_addrixwindow.moc"
