#include "addrixmodel.h"

#include <zelkui/zelkui.h>

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QtQml/qqml.h>

int main(int argc, char* argv[])
{
    QGuiApplication::setOrganizationName(QStringLiteral("QELT Systems"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("qelt.systems"));
    QGuiApplication::setApplicationName(QStringLiteral("Addrix"));

    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral(":/"));

    QQuickStyle::setFallbackStyle(QStringLiteral("Basic"));
    QQuickStyle::setStyle(QStringLiteral("qeltstyle"));

    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256, 512 })
        icon.addFile(QStringLiteral(":/icon/QELT_%1x%1.png").arg(size), QSize(size, size), QIcon::Normal, QIcon::Off);
    QGuiApplication::setWindowIcon(icon);

    zelkuiInitPlugin();
    qmlRegisterType<AddrixModel>("com.qelt", 1, 0, "AddrixModel");

    engine.load(QUrl(QStringLiteral("qrc:/Addrix.qml")));
    if (engine.rootObjects().isEmpty())
        return -1;
    return QGuiApplication::exec();
}
