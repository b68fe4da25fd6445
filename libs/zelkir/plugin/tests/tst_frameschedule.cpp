#include "frameschedule.h"

#include <QTest>

using zelkir::FrameSchedule;
using zelkir::RenderedFramePtr;

namespace {

/// One call to the schedule and what it must answer.
struct Call
{
    enum Kind { Move, Renew, Receive, Prefetch, ForgetAhead };
    Kind kind;
    int position;
    int next;
    /// For Receive: the frame coming back and its generation.
    int frame = -1;
    quint64 generation = 0;

    int render = -1;
    int show = -1;
    int dropped = 0;
};

} // namespace

Q_DECLARE_METATYPE(QList<Call>)

class TestFrameSchedule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void calls_data();
    void calls();
};

void TestFrameSchedule::calls_data()
{
    QTest::addColumn<QList<Call>>("calls");
    using C = Call;
    // Frame 0 on screen to begin with in most rows.
    const QList<Call> start { { C::Move, 0, -1, -1, 0, 0 }, { C::Receive, 0, -1, 0, 0, -1, 0 } };

    QTest::newRow("seek") << QList<Call> { { C::Move, 4, -1, -1, 0, 4 }, { C::Receive, 4, -1, 4, 0, -1, 4 } };
    QTest::newRow("behind the clock") << start
            + QList<Call> {
                  { C::Move, 1, -1, -1, 0, 1 },
                  { C::Move, 2, -1 },
                  { C::Move, 3, -1, -1, 0, -1, -1, 1 },
                  { C::Move, 4, -1, -1, 0, -1, -1, 1 },
                  // Frame 1 comes too late: dropped, and the newest position goes out.
                  { C::Receive, 4, -1, 1, 0, 4, -1, 1 },
                  { C::Receive, 4, -1, 4, 0, -1, 4 },
              };
    QTest::newRow("ahead during playback") << start
            + QList<Call> {
                  { C::Prefetch, 0, 1, -1, 0, 1 },
                  { C::Receive, 0, 1, 1, 0 },
                  // The tick shows it at once and renders the one after.
                  { C::Move, 1, 2, -1, 0, 2, 1 },
                  { C::Receive, 1, 2, 2, 0 },
                  { C::ForgetAhead, 1, 2 },
                  { C::Move, 2, 3, -1, 0, 2 },
              };
    QTest::newRow("new settings") << start
            + QList<Call> {
                  { C::Move, 5, -1, -1, 0, 5 },
                  { C::Renew, 5, -1 },
                  // The old result is never shown; the frame is rendered again.
                  { C::Receive, 5, -1, 5, 0, 5 },
                  { C::Receive, 5, -1, 5, 1, -1, 5 },
              };
    QTest::newRow("back on the frame shown") << start
            + QList<Call> {
                  { C::Move, 1, -1, -1, 0, 1 },
                  { C::Move, 2, -1 },
                  { C::Move, 0, -1, -1, 0, -1, -1, 1 },
                  { C::Receive, 0, -1, 1, 0, -1, -1, 1 },
              };
}

void TestFrameSchedule::calls()
{
    QFETCH(QList<Call>, calls);
    FrameSchedule schedule;
    for (int i = 0; i < calls.size(); ++i) {
        const Call& call = calls.at(i);
        FrameSchedule::Step step;
        switch (call.kind) {
        case Call::Move:
            step = schedule.moveTo(call.position, call.next);
            break;
        case Call::Renew:
            step = schedule.renew(call.position);
            break;
        case Call::Receive: {
            auto frame = std::make_shared<zelkir::RenderedFrame>();
            frame->index = call.frame;
            frame->generation = call.generation;
            frame->ok = true;
            step = schedule.receive(frame, call.position, call.next);
            break;
        }
        case Call::Prefetch:
            step = schedule.prefetch(call.position, call.next);
            break;
        case Call::ForgetAhead:
            schedule.forgetAhead();
            break;
        }
        const QByteArray where = "call " + QByteArray::number(i);
        QVERIFY2(schedule.invariantsHold(), where);
        QVERIFY2(step.render == call.render, where + " renders " + QByteArray::number(step.render));
        QVERIFY2((step.show ? step.show->index : -1) == call.show, where);
        QVERIFY2(step.dropped == call.dropped, where);
    }
}

QTEST_APPLESS_MAIN(TestFrameSchedule)
#include "tst_frameschedule.moc"
