#include "frameinfomodel.h"
#include "frameinfomodelfilter.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using zelkir::FrameInfoModel;
using zelkir::FrameInfoModelFilter;

class TestFrameInfoModelFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void operations_data();
    void operations();
    void valuesFollowTheInput();
    void pickSurvivesNewInput();
    void noInput();
    void repeatedNamesBecomeUnique();

private:
    static QList<FrameInfoModel::Entry> entries(const QStringList& names, const QString& suffix = QString());
    QStringList outputNames() const;

    std::unique_ptr<FrameInfoModel> m_input;
    std::unique_ptr<FrameInfoModelFilter> m_filter;
    std::unique_ptr<QAbstractItemModelTester> m_inputTester;
    std::unique_ptr<QAbstractItemModelTester> m_outputTester;
};

QList<FrameInfoModel::Entry> TestFrameInfoModelFilter::entries(
    const QStringList& names, const QString& suffix)
{
    QList<FrameInfoModel::Entry> list;
    for (const QString& name : names)
        list.append({ name, name.toLower() + suffix });
    return list;
}

QStringList TestFrameInfoModelFilter::outputNames() const
{
    QAbstractItemModel* output = m_filter->output();
    const int nameRole = output->roleNames().key("name");
    QStringList names;
    for (int row = 0; row < output->rowCount(); ++row)
        names.append(output->index(row, 0).data(nameRole).toString());
    return names;
}

void TestFrameInfoModelFilter::init()
{
    m_input = std::make_unique<FrameInfoModel>();
    m_filter = std::make_unique<FrameInfoModelFilter>();
    const auto mode = QAbstractItemModelTester::FailureReportingMode::QtTest;
    m_inputTester = std::make_unique<QAbstractItemModelTester>(m_input.get(), mode);
    m_outputTester = std::make_unique<QAbstractItemModelTester>(m_filter->output(), mode);
    m_input->setEntries(
        entries({ "Frame Number", "Time", "Size", "Minimum", "Maximum", "Mean", "TELESCOP", "RADGAIN" }));
    m_filter->setInput(m_input.get());
}

void TestFrameInfoModelFilter::cleanup()
{
    m_outputTester.reset();
    m_inputTester.reset();
    m_filter.reset();
    m_input.reset();
}

void TestFrameInfoModelFilter::operations_data()
{
    QTest::addColumn<QStringList>("operations");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("changes");

    const QStringList defaults { "Frame Number", "Time", "Minimum", "Maximum", "Mean" };
    QTest::newRow("default pick") << QStringList() << defaults << 0;
    QTest::newRow("add keeps input order")
        << QStringList { "add:RADGAIN", "add:Size" }
        << QStringList { "Frame Number", "Time", "Size", "Minimum", "Maximum", "Mean", "RADGAIN" } << 2;
    QTest::newRow("remove") << QStringList { "remove:Time", "remove:Mean" }
                            << QStringList { "Frame Number", "Minimum", "Maximum" } << 2;
    QTest::newRow("adding twice changes once")
        << QStringList { "add:Size", "add:Size" }
        << QStringList { "Frame Number", "Time", "Size", "Minimum", "Maximum", "Mean" } << 1;
    QTest::newRow("removing an absent name") << QStringList { "remove:Nothing" } << defaults << 0;
    QTest::newRow("names not in the input") << QStringList { "unselect", "add:Later" } << QStringList() << 2;
    QTest::newRow("select all") << QStringList { "select" }
                                << QStringList { "Frame Number", "Time", "Size", "Minimum", "Maximum", "Mean",
                                       "TELESCOP", "RADGAIN" }
                                << 1;
    QTest::newRow("unselect all") << QStringList { "unselect" } << QStringList() << 1;
    QTest::newRow("reset") << QStringList { "unselect", "add:TELESCOP", "reset" } << defaults << 3;
}

void TestFrameInfoModelFilter::operations()
{
    QFETCH(QStringList, operations);
    QFETCH(QStringList, expected);
    QFETCH(int, changes);

    QSignalSpy changed(m_filter.get(), &FrameInfoModelFilter::filterChanged);
    const int revision = m_filter->revision();
    for (const QString& operation : operations) {
        const QString name = operation.section(QLatin1Char(':'), 1);
        if (operation.startsWith(QLatin1String("add:")))
            m_filter->addToFilter(name);
        else if (operation.startsWith(QLatin1String("remove:")))
            m_filter->removeFromFilter(name);
        else if (operation == QLatin1String("select"))
            m_filter->selectAll();
        else if (operation == QLatin1String("unselect"))
            m_filter->unselectAll();
        else if (operation == QLatin1String("reset"))
            m_filter->resetFilter();
    }
    QCOMPARE(outputNames(), expected);
    QCOMPARE(changed.count(), changes);
    QCOMPARE(m_filter->revision(), revision + changes);
    for (const QString& name : expected)
        QVERIFY(m_filter->isInFilter(name));
}

void TestFrameInfoModelFilter::valuesFollowTheInput()
{
    QAbstractItemModel* output = m_filter->output();
    QSignalSpy dataChanged(output, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(output, &QAbstractItemModel::modelReset);
    m_input->setEntries(
        entries({ "Frame Number", "Time", "Size", "Minimum", "Maximum", "Mean", "TELESCOP", "RADGAIN" },
            QStringLiteral(" next")));
    QCOMPARE(reset.count(), 0);
    QCOMPARE(dataChanged.count(), 5);
    const int valueRole = output->roleNames().key("value");
    QCOMPARE(output->index(1, 0).data(valueRole).toString(), QStringLiteral("time next"));
}

void TestFrameInfoModelFilter::pickSurvivesNewInput()
{
    m_filter->addToFilter(QStringLiteral("TELESCOP"));
    FrameInfoModel other;
    other.setEntries(entries({ "TELESCOP", "Time", "OBJECT" }));
    m_filter->setInput(&other);
    QCOMPARE(outputNames(), QStringList({ "TELESCOP", "Time" }));
    m_filter->setInput(m_input.get());
    // The input changes its names: the output follows.
    m_input->setEntries(entries({ "Mean", "TELESCOP", "Extra" }));
    QCOMPARE(outputNames(), QStringList({ "Mean", "TELESCOP" }));
}

void TestFrameInfoModelFilter::noInput()
{
    QSignalSpy inputChanged(m_filter.get(), &FrameInfoModelFilter::inputChanged);
    m_filter->setInput(nullptr);
    QCOMPARE(inputChanged.count(), 1);
    QCOMPARE(m_filter->output()->rowCount(), 0);
    m_filter->selectAll();
    m_filter->addToFilter(QStringLiteral("Size"));
    QVERIFY(m_filter->isInFilter(QStringLiteral("Size")));
    // An input deleted under the filter leaves it empty, not dangling.
    auto temporary = std::make_unique<FrameInfoModel>();
    temporary->setEntries(entries({ "Size" }));
    m_filter->setInput(temporary.get());
    QCOMPARE(outputNames(), QStringList({ "Size" }));
    temporary.reset();
    QVERIFY(m_filter->input() == nullptr);
    QCOMPARE(inputChanged.count(), 3);
    QCOMPARE(m_filter->output()->rowCount(), 0);
}

void TestFrameInfoModelFilter::repeatedNamesBecomeUnique()
{
    m_input->setEntries(entries({ "COMMENT", "COMMENT", "Time", "COMMENT" }));
    QStringList names;
    for (const auto& entry : m_input->entries())
        names.append(entry.name);
    QCOMPARE(names, QStringList({ "COMMENT", "COMMENT (2)", "Time", "COMMENT (3)" }));
    m_filter->addToFilter(QStringLiteral("COMMENT (2)"));
    QCOMPARE(outputNames(), QStringList({ "COMMENT (2)", "Time" }));
    // The next frame's entries: the same names again, each value new.
    QSignalSpy reset(m_input.get(), &QAbstractItemModel::modelReset);
    m_input->setEntries(entries({ "COMMENT", "COMMENT", "Time", "COMMENT" }, QStringLiteral(" next")));
    QCOMPARE(reset.count(), 0);
    QCOMPARE(outputNames(), QStringList({ "COMMENT (2)", "Time" }));
    QCOMPARE(m_input->value(QStringLiteral("COMMENT (3)")), QStringLiteral("comment next"));
}

QTEST_GUILESS_MAIN(TestFrameInfoModelFilter)
#include "tst_frameinfomodelfilter.moc"
