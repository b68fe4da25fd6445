#include "frameselection.h"

#include <QTest>

#include <limits>

using zelkir::FrameSelection;

class TestFrameSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void advance_data();
    void advance();
    void bounds_data();
    void bounds();
    void presetFilter();
    void hugeSelection();
};

void TestFrameSelection::advance_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("steps");
    QTest::addColumn<bool>("loop");
    QTest::addColumn<int>("frame");
    QTest::addColumn<bool>("ended");

    QTest::newRow("forwards") << 0 << 9 << 3 << 1 << false << 4 << false;
    QTest::newRow("backwards") << 0 << 9 << 3 << -1 << false << 2 << false;
    QTest::newRow("fast") << 0 << 9 << 3 << 5 << false << 8 << false;
    QTest::newRow("stops at the end") << 0 << 9 << 8 << 5 << false << 9 << true;
    QTest::newRow("stops at the start") << 0 << 9 << 1 << -5 << false << 0 << true;
    QTest::newRow("loops forwards") << 0 << 9 << 9 << 1 << true << 0 << false;
    QTest::newRow("loops backwards") << 0 << 9 << 0 << -1 << true << 9 << false;
    QTest::newRow("fast loop") << 0 << 9 << 8 << 5 << true << 3 << false;
    QTest::newRow("laps") << 0 << 9 << 2 << 23 << true << 5 << false;
    QTest::newRow("huge jump") << 0 << 9 << 2 << 2000000001 << true << 3 << false;
    QTest::newRow("inside bounds") << 3 << 6 << 6 << 1 << true << 3 << false;
    QTest::newRow("from outside") << 3 << 6 << 0 << 1 << false << 4 << false;
    QTest::newRow("single frame") << 4 << 4 << 4 << 1 << true << 4 << false;
}

void TestFrameSelection::advance()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, from);
    QFETCH(int, steps);
    QFETCH(bool, loop);

    FrameSelection selection;
    selection.reset(10, {});
    selection.setBoundStart(start);
    selection.setBoundEnd(end);
    const FrameSelection::Move move = selection.advance(from, steps, loop);
    QTEST(move.frame, "frame");
    QTEST(move.ended, "ended");
}

void TestFrameSelection::bounds_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("expectedStart");
    QTest::addColumn<int>("expectedEnd");

    QTest::newRow("inside") << 2 << 7 << 2 << 7;
    QTest::newRow("start below") << -4 << 7 << 0 << 7;
    QTest::newRow("end beyond") << 2 << 40 << 2 << 9;
    QTest::newRow("end before start") << 6 << 3 << 3 << 3;
}

void TestFrameSelection::bounds()
{
    QFETCH(int, start);
    QFETCH(int, end);
    FrameSelection selection;
    selection.reset(10, {});
    selection.setBoundStart(start);
    selection.setBoundEnd(end);
    QTEST(selection.boundStart(), "expectedStart");
    QTEST(selection.boundEnd(), "expectedEnd");
}

void TestFrameSelection::presetFilter()
{
    // Four presets cycling: 0 1 2 3 0 1 2 3 ...
    zelkir::PresetInfo cycle;
    cycle.sequencing = true;
    cycle.availablePresets = 0x0F;
    std::vector<qint8> listed;
    for (int i = 0; i < 12; ++i)
        listed.push_back(qint8(i % 4));
    // The same frames, listed or from the cycle alone, and the cycle after the list.
    for (const std::vector<qint8>& presets :
        { listed, std::vector<qint8>(), std::vector<qint8>(listed.begin(), listed.begin() + 5) }) {
        FrameSelection selection;
        selection.reset(12, zelkir::FramePresets(cycle, presets));
        selection.setPreset(2);

        QCOMPARE(selection.first(), 2);
        QCOMPARE(selection.last(), 10);
        QCOMPARE(selection.nearest(3), 6);
        QCOMPARE(selection.nearest(11), 10);
        QVERIFY(selection.accepts(6));
        QVERIFY(!selection.accepts(7));
        QCOMPARE(selection.advance(2, 1, false).frame, 6);
        QCOMPARE(selection.advance(10, 1, true).frame, 2);
        QCOMPARE(selection.advance(6, 2, true).frame, 2);
        QCOMPARE(selection.advance(6, 13, true).frame, 10);
        QCOMPARE(selection.advance(10, -2, false).frame, 2);
        QVERIFY(selection.advance(10, 1, false).ended);

        selection.setPreset(-1);
        QCOMPARE(selection.advance(2, 1, false).frame, 3);
    }

    // Listed presets win over the cycle; a preset missing from both is never found.
    FrameSelection selection;
    selection.reset(12, zelkir::FramePresets(cycle, { 0, 0, 0, 2, 1, 1 }));
    selection.setPreset(2);
    QCOMPARE(selection.first(), 3);
    QCOMPARE(selection.advance(3, 1, false).frame, 6);
    QCOMPARE(selection.advance(10, 1, true).frame, 3);
    selection.setPreset(5);
    QCOMPARE(selection.first(), -1);
    QCOMPARE(selection.advance(4, 1, true).frame, -1);
}

void TestFrameSelection::hugeSelection()
{
    // Billions of frames: every answer comes without walking them.
    constexpr int Huge = std::numeric_limits<int>::max();
    zelkir::PresetInfo cycle;
    cycle.sequencing = true;
    cycle.availablePresets = 0x0F;
    FrameSelection selection;
    selection.reset(Huge, zelkir::FramePresets(cycle, {}));
    QCOMPARE(selection.last(), Huge - 1);
    QCOMPARE(selection.advance(0, Huge, false).frame, Huge - 1);
    QCOMPARE(selection.advance(Huge - 1, -Huge, true).frame, Huge - 1);
    selection.setPreset(2);
    QCOMPARE(selection.last(), Huge - 1);
    QCOMPARE(selection.advance(2, Huge, true).frame % 4, 2);
    QCOMPARE(selection.advance(Huge - 1, 1, true).frame, 2);

    selection.limitFrameCount(37);
    QCOMPARE(selection.frameCount(), 37);
    QCOMPARE(selection.boundEnd(), 36);
    QCOMPARE(selection.last(), 34);
    selection.limitFrameCount(100);
    QCOMPARE(selection.frameCount(), 37);
}

QTEST_APPLESS_MAIN(TestFrameSelection)
#include "tst_frameselection.moc"
