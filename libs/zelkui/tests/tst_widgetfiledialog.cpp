#include <QApplication>
#include <QFileDialog>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <zelkui/zelkui.h>

#include <memory>

// Notes what a handler of accepted() would read at that moment.
class AcceptRecorder : public QObject
{
    Q_OBJECT

public:
    explicit AcceptRecorder(QObject* source)
        : m_source(source)
    {
        connect(source, SIGNAL(accepted()), this, SLOT(record()));
    }

    QUrl fileUrlOnAccept;

public slots:
    void record() { fileUrlOnAccept = m_source->property("fileUrl").toUrl(); }

private:
    QObject* m_source;
};

// Drives WidgetFileDialog through its QML face with a real QFileDialog, which only a
// QApplication can show.
class TestWidgetFileDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void configuresTheDialog_data();
    void configuresTheDialog();
    void passesTitleFiltersAndFolder();
    void acceptReportsTheChosenFile();
    void acceptReportsSeveralFiles();
    void closeRejects();
    void openTwiceShowsOneDialog();
    void destroyingWhileOpenClosesTheDialog();

private:
    QFileDialog* shownDialog() const;
    QString createFile(const QString& name) const;

    QQmlEngine* m_engine = nullptr;
    std::unique_ptr<QObject> m_dialog;
    QTemporaryDir m_folder;
};

void TestWidgetFileDialog::initTestCase()
{
    zelkuiInitPlugin();
    QVERIFY(m_folder.isValid());
    m_engine = new QQmlEngine(this);
    m_engine->addImportPath(":/");
}

void TestWidgetFileDialog::init()
{
    QQmlComponent component(m_engine);
    component.setData("import com.qelt.zelkui 1.0\nWidgetFileDialog {}", QUrl());
    m_dialog.reset(component.create());
    QVERIFY2(m_dialog, qPrintable(component.errorString()));
}

void TestWidgetFileDialog::cleanup()
{
    m_dialog.reset();
    QTRY_VERIFY(!shownDialog());
}

QFileDialog* TestWidgetFileDialog::shownDialog() const
{
    QFileDialog* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
            if (found)
                qFatal("more than one file dialog is showing");
            found = dialog;
        }
    }
    return found;
}

QString TestWidgetFileDialog::createFile(const QString& name) const
{
    QFile file(m_folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot create test file");
    return file.fileName();
}

void TestWidgetFileDialog::configuresTheDialog_data()
{
    QTest::addColumn<bool>("selectExisting");
    QTest::addColumn<bool>("selectMultiple");
    QTest::addColumn<bool>("selectFolder");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("acceptMode");

    QTest::newRow("one existing file")
        << true << false << false << int(QFileDialog::ExistingFile) << int(QFileDialog::AcceptOpen);
    QTest::newRow("several existing files")
        << true << true << false << int(QFileDialog::ExistingFiles) << int(QFileDialog::AcceptOpen);
    QTest::newRow("save") << false << false << false << int(QFileDialog::AnyFile)
                          << int(QFileDialog::AcceptSave);
    QTest::newRow("save ignores multiple")
        << false << true << false << int(QFileDialog::AnyFile) << int(QFileDialog::AcceptSave);
    QTest::newRow("folder") << true << false << true << int(QFileDialog::Directory)
                            << int(QFileDialog::AcceptOpen);
}

void TestWidgetFileDialog::configuresTheDialog()
{
    QFETCH(bool, selectExisting);
    QFETCH(bool, selectMultiple);
    QFETCH(bool, selectFolder);
    QFETCH(int, fileMode);
    QFETCH(int, acceptMode);

    m_dialog->setProperty("selectExisting", selectExisting);
    m_dialog->setProperty("selectMultiple", selectMultiple);
    m_dialog->setProperty("selectFolder", selectFolder);
    QSignalSpy visibleChanged(m_dialog.get(), SIGNAL(visibleChanged()));
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "open"));

    QFileDialog* dialog = shownDialog();
    QVERIFY(dialog);
    QCOMPARE(m_dialog->property("visible").toBool(), true);
    QCOMPARE(visibleChanged.count(), 1);
    QCOMPARE(int(dialog->fileMode()), fileMode);
    QCOMPARE(int(dialog->acceptMode()), acceptMode);
    QCOMPARE(dialog->isModal(), true);
}

void TestWidgetFileDialog::passesTitleFiltersAndFolder()
{
    const QStringList filters = { "Recordings (*.rec)", "Images (*.png *.jpg)" };
    m_dialog->setProperty("title", "Open a recording");
    m_dialog->setProperty("nameFilters", filters);
    m_dialog->setProperty("selectedNameFilter", filters.at(1));
    m_dialog->setProperty("folder", QUrl::fromLocalFile(m_folder.path()));
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "open"));

    QFileDialog* dialog = shownDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QString("Open a recording"));
    QCOMPARE(dialog->nameFilters(), filters);
    QCOMPARE(dialog->selectedNameFilter(), filters.at(1));
    QCOMPARE(dialog->directory().absolutePath(), QDir(m_folder.path()).absolutePath());
}

void TestWidgetFileDialog::acceptReportsTheChosenFile()
{
    const QString path = createFile("frame.png");
    m_dialog->setProperty("folder", QUrl::fromLocalFile(m_folder.path()));
    m_dialog->setProperty("nameFilters", QStringList { "Images (*.png)", "All files (*)" });
    QSignalSpy fileUrlsChanged(m_dialog.get(), SIGNAL(fileUrlsChanged()));
    QSignalSpy fileUrlChanged(m_dialog.get(), SIGNAL(fileUrlChanged()));
    QSignalSpy accepted(m_dialog.get(), SIGNAL(accepted()));
    QSignalSpy rejected(m_dialog.get(), SIGNAL(rejected()));
    AcceptRecorder recorder(m_dialog.get());

    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "open"));
    QFileDialog* dialog = shownDialog();
    QVERIFY(dialog);
    dialog->selectNameFilter("All files (*)");
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();

    QCOMPARE(accepted.count(), 1);
    QCOMPARE(rejected.count(), 0);
    QCOMPARE(fileUrlsChanged.count(), 1);
    QCOMPARE(fileUrlChanged.count(), 1);
    QCOMPARE(recorder.fileUrlOnAccept, QUrl::fromLocalFile(path));
    QCOMPARE(m_dialog->property("fileUrl").toUrl(), QUrl::fromLocalFile(path));
    QCOMPARE(m_dialog->property("fileUrls").value<QList<QUrl>>(), QList<QUrl> { QUrl::fromLocalFile(path) });
    QCOMPARE(m_dialog->property("selectedNameFilter").toString(), QString("All files (*)"));
    QCOMPARE(m_dialog->property("folder").toUrl().toLocalFile(), QDir(m_folder.path()).absolutePath());
    QCOMPARE(m_dialog->property("visible").toBool(), false);
    QTRY_VERIFY(!shownDialog());
}

void TestWidgetFileDialog::acceptReportsSeveralFiles()
{
    const QString first = createFile("a.rec");
    const QString second = createFile("b.rec");
    m_dialog->setProperty("selectMultiple", true);
    m_dialog->setProperty("folder", QUrl::fromLocalFile(m_folder.path()));
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "open"));
    QFileDialog* dialog = shownDialog();
    QVERIFY(dialog);
    dialog->selectFile("\"a.rec\" \"b.rec\"");
    static_cast<QDialog*>(dialog)->accept();

    QList<QUrl> urls = m_dialog->property("fileUrls").value<QList<QUrl>>();
    std::sort(urls.begin(), urls.end());
    QCOMPARE(urls, (QList<QUrl> { QUrl::fromLocalFile(first), QUrl::fromLocalFile(second) }));
    QVERIFY(urls.contains(m_dialog->property("fileUrl").toUrl()));
}

void TestWidgetFileDialog::closeRejects()
{
    QSignalSpy accepted(m_dialog.get(), SIGNAL(accepted()));
    QSignalSpy rejected(m_dialog.get(), SIGNAL(rejected()));
    QSignalSpy fileUrlChanged(m_dialog.get(), SIGNAL(fileUrlChanged()));
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "open"));
    QVERIFY(shownDialog());
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "close"));

    QCOMPARE(rejected.count(), 1);
    QCOMPARE(accepted.count(), 0);
    QCOMPARE(fileUrlChanged.count(), 0);
    QCOMPARE(m_dialog->property("visible").toBool(), false);
    QTRY_VERIFY(!shownDialog());
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "close"));
    QCOMPARE(rejected.count(), 1);
}

void TestWidgetFileDialog::openTwiceShowsOneDialog()
{
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "open"));
    QFileDialog* dialog = shownDialog();
    QVERIFY(dialog);
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "open"));
    QCOMPARE(shownDialog(), dialog);
}

void TestWidgetFileDialog::destroyingWhileOpenClosesTheDialog()
{
    QVERIFY(QMetaObject::invokeMethod(m_dialog.get(), "open"));
    QPointer<QFileDialog> dialog = shownDialog();
    QVERIFY(dialog);
    m_dialog.reset();
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(TestWidgetFileDialog)
#include "tst_widgetfiledialog.moc"
