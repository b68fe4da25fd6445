#include <viewerstartup/viewerstartup.h>

#ifdef VIEWER_HAVE_ZELKIR
#include <zelkir/zelkir.h>
#else
#include <zelkui/zelkui.h>
#endif

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QUrl>

#include <cstdio>

int runViewer(int& argc, char** argv, const ViewerIdentity& identity)
{
    QApplication::setOrganizationName(QStringLiteral("QELT Systems"));
    QApplication::setOrganizationDomain(QStringLiteral("qelt.systems"));
    QApplication::setApplicationName(identity.applicationName);
    QApplication::setApplicationVersion(QStringLiteral(QELT_VERSION));

    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(identity.description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!identity.argumentName.isEmpty())
        parser.addPositionalArgument(identity.argumentName, identity.argumentDescription,
            QLatin1Char('[') + identity.argumentName + QLatin1Char(']'));
    // Answered here rather than by process(), which would leave main without unwinding it.
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return 1;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
            qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }

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

    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty())
        engine.setInitialProperties({ { QStringLiteral("startupArgument"), positional.first() } });
    engine.load(QUrl(identity.mainDocument, QUrl::TolerantMode));
    if (engine.rootObjects().isEmpty())
        return -1;
    return QApplication::exec();
}
