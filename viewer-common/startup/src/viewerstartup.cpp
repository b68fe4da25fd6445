#include <viewerstartup/viewerstartup.h>

#ifdef VIEWER_HAVE_ZELKIR
#include <zelkir/zelkir.h>
#else
#include <zelkui/zelkui.h>
#endif

#include <QApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QUrl>

int runViewer(int& argc, char** argv, const ViewerIdentity& identity)
{
    QApplication::setOrganizationName(QStringLiteral("QELT Systems"));
    QApplication::setOrganizationDomain(QStringLiteral("qelt.systems"));
    QApplication::setApplicationName(identity.applicationName);

    QApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral(":/"));

    QQuickStyle::setFallbackStyle(QStringLiteral("Basic"));
    QQuickStyle::setStyle(QStringLiteral("qeltstyle"));

    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256, 512 })
        icon.addFile(
            QStringLiteral(":/icon/QELT_%1x%1.png").arg(size), QSize(size, size), QIcon::Normal, QIcon::Off);
    QApplication::setWindowIcon(icon);

    engine.addImportPath(QStringLiteral("qrc:/common"));
    if (!identity.extraImportPath.isEmpty())
        engine.addImportPath(identity.extraImportPath);
    engine.addPluginPath(QCoreApplication::applicationDirPath());

#ifdef VIEWER_HAVE_ZELKIR
    zelkirInitPlugin(&engine);
#else
    // Without the imaging library only the style and the file dialog can be offered.
    zelkuiInitPlugin();
#endif

    engine.load(QUrl(identity.mainDocument, QUrl::TolerantMode));
    if (engine.rootObjects().isEmpty())
        return -1;
    return QApplication::exec();
}
