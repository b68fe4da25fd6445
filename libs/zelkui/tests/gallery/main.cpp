#include <zelkui/zelkui.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTimer>

// Shows every control of the style on one page, for looking at it by eye. With
// --grab FILE it saves a picture of the window and quits.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption grabOption("grab", "Save a picture of the window to <file> and quit.", "file");
    parser.addOption(grabOption);
    parser.process(app);

    QQmlApplicationEngine engine;
    engine.addImportPath(":/");
    QQuickStyle::setFallbackStyle("Basic");
    QQuickStyle::setStyle("qeltstyle");
    zelkuiInitPlugin();
    engine.load(QUrl::fromLocalFile(QStringLiteral(ZELKUI_GALLERY_QML)));
    if (engine.rootObjects().isEmpty())
        return 1;

    if (parser.isSet(grabOption)) {
        auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().constFirst());
        const QString file = parser.value(grabOption);
        QTimer::singleShot(
            800, window, [window, file] { QCoreApplication::exit(window->grabWindow().save(file) ? 0 : 1); });
    }
    return app.exec();
}
