#include <viewerstartup/viewerstartup.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QTest>

#include <vector>

namespace {

// What the probe saw while the routine ran, and what the application looked like when
// it was born.
struct Observed
{
    bool recorded = false;
    QString organizationAtBirth;
    QString applicationAtBirth;
    QStringList importPaths;
    QStringList pluginPaths;
    QString applicationDir;
    QString style;
    QList<QSize> iconSizes;
    bool iconServes20 = false;
    QString startupArgument;
};
Observed observed;

void recordBirth()
{
    observed.organizationAtBirth = QCoreApplication::organizationName();
    observed.applicationAtBirth = QCoreApplication::applicationName();
}
Q_COREAPP_STARTUP_FUNCTION(recordBirth)

class StartupProbe : public QObject
{
    Q_OBJECT

public:
    explicit StartupProbe(QQmlEngine* engine)
        : m_engine(engine)
    {
    }

    Q_INVOKABLE void record(const QString& startupArgument)
    {
        observed.recorded = true;
        observed.startupArgument = startupArgument;
        observed.importPaths = m_engine->importPathList();
        observed.pluginPaths = m_engine->pluginPathList();
        observed.applicationDir = QCoreApplication::applicationDirPath();
        observed.style = QQuickStyle::name();
        const QIcon icon = QGuiApplication::windowIcon();
        observed.iconSizes = icon.availableSizes();
        observed.iconServes20 = !icon.pixmap(QSize(20, 20)).isNull();
    }

private:
    QQmlEngine* m_engine;
};

} // namespace

class TestViewerStartup : public QObject
{
    Q_OBJECT

private:
    int run(const ViewerIdentity& identity, QList<QByteArray> arguments = {})
    {
        arguments.prepend(QByteArrayLiteral("tst_viewerstartup"));
        std::vector<char*> argv;
        for (QByteArray& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        int argc = int(arguments.size());
        return runViewer(argc, argv.data(), identity);
    }

    static ViewerIdentity viewer(const QString& name, const QString& extraImportPath, const QString& url)
    {
        ViewerIdentity identity;
        identity.applicationName = name;
        identity.extraImportPath = extraImportPath;
        identity.mainDocument = url;
        return identity;
    }

    static QString document(const char* name)
    {
        return QUrl::fromLocalFile(QStringLiteral(DOCUMENT_DIR "/") + QLatin1String(name)).toString();
    }

private slots:
    void initTestCase()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qmlRegisterSingletonType<StartupProbe>("ViewerStartupTest", 1, 0, "StartupProbe",
            [](QQmlEngine* engine, QJSEngine*) -> QObject* { return new StartupProbe(engine); });
    }

    void init()
    {
        observed = Observed();
        QCoreApplication::setOrganizationName(QStringLiteral("someone else"));
        QCoreApplication::setApplicationName(QStringLiteral("something else"));
    }

    void noRootObject_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("missing resource") << QStringLiteral("qrc:/NoSuchWindow.qml");
        QTest::newRow("missing file") << document("nosuchwindow.qml");
        QTest::newRow("broken document") << document("broken.qml");
        QTest::newRow("not a URL") << QStringLiteral("::");
    }

    void noRootObject()
    {
        QFETCH(QString, url);
        QCOMPARE(run(viewer(QStringLiteral("Reelvo"), QStringLiteral("qrc:/controls/"), url)), -1);
    }

    void returnsEventLoopResult()
    {
        QCOMPARE(run(viewer(QStringLiteral("Livano"), QString(), document("probe.qml"))), 7);
        QVERIFY(observed.recorded);
    }

    void commandLine_data()
    {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("argument");
        // A status of 7 is the probe document's own: the window was loaded.
        QTest::newRow("none") << QList<QByteArray>() << 7 << QString();
        QTest::newRow("help") << QList<QByteArray> { "--help" } << 0 << QString();
        QTest::newRow("help after a file") << QList<QByteArray> { "a.fits", "-h" } << 0 << QString();
        QTest::newRow("version") << QList<QByteArray> { "--version" } << 0 << QString();
        QTest::newRow("unknown option") << QList<QByteArray> { "--bogus" } << 1 << QString();
        QTest::newRow("first of several") << QList<QByteArray> { "a.fits", "b.fits" } << 7 << "a.fits";
        QTest::newRow("after --") << QList<QByteArray> { "--", "--help" } << 7 << "--help";
    }

    void commandLine()
    {
        QFETCH(QList<QByteArray>, arguments);
        QFETCH(int, status);
        QFETCH(QString, argument);
        ViewerIdentity identity = viewer(QStringLiteral("Reelvo"), QString(), document("probe.qml"));
        identity.argumentName = QStringLiteral("file");
        QCOMPARE(run(identity, arguments), status);
        QCOMPARE(observed.recorded, status == 7);
        QCOMPARE(observed.startupArgument, argument);
    }

    void identity_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("file player") << QStringLiteral("Reelvo");
        QTest::newRow("camera player") << QStringLiteral("Livano");
    }

    void identity()
    {
        QFETCH(QString, name);
        run(viewer(name, QString(), document("probe.qml")));
        QCOMPARE(observed.organizationAtBirth, QStringLiteral("QELT Systems"));
        QCOMPARE(observed.applicationAtBirth, name);
        QCOMPARE(QCoreApplication::organizationDomain(), QStringLiteral("qelt.systems"));
        QCOMPARE(observed.style, QStringLiteral("qeltstyle"));
    }

    void importPaths_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Reelvo") << QStringLiteral("qrc:/controls/")
                                << QStringList { QStringLiteral("qrc:/controls/"),
                                       QStringLiteral("qrc:/common"), QStringLiteral("qrc:/") };
        QTest::newRow("Livano") << QString()
                                << QStringList { QStringLiteral("qrc:/common"), QStringLiteral("qrc:/") };
    }

    void importPaths()
    {
        QFETCH(QString, extra);
        QFETCH(QStringList, expected);
        run(viewer(QStringLiteral("Viewer"), extra, document("probe.qml")));
        QVERIFY(observed.recorded);
        QCOMPARE(observed.importPaths.mid(0, expected.size()), expected);
        if (extra.isEmpty())
            QVERIFY(!observed.importPaths.contains(QStringLiteral("qrc:/controls/")));
        QVERIFY(!observed.applicationDir.isEmpty());
        QVERIFY(observed.pluginPaths.contains(observed.applicationDir));
    }

    void iconOffersEverySize()
    {
        run(viewer(QStringLiteral("Livano"), QString(), document("probe.qml")));
        QList<QSize> expected;
        for (int size : { 16, 24, 32, 48, 64, 128, 256, 512 })
            expected.append(QSize(size, size));
        QCOMPARE(observed.iconSizes, expected);
        QVERIFY(observed.iconServes20);
    }
};

QTEST_APPLESS_MAIN(TestViewerStartup)

#include "tst_viewerstartup.moc"
