// The base library's containers and values: growth, ownership and copies.
#include <zelk/cstring.h>
#include <zelk/cvariant.h>
#include <zelk/tarray.h>
#include <zelk/tsharedptr.h>

#include <QTest>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace zelk;

namespace {

// Counts live instances and can be told to fail its next copies.
struct Tracked
{
    static inline int alive = 0;
    static inline int copiesUntilFailure = -1;

    explicit Tracked(int v) : value(v) { ++alive; }
    Tracked(const Tracked& other) : value(other.value)
    {
        if (copiesUntilFailure == 0)
            throw std::runtime_error("copy refused");
        if (copiesUntilFailure > 0)
            --copiesUntilFailure;
        ++alive;
    }
    Tracked(Tracked&& other) noexcept : value(other.value) { ++alive; }
    ~Tracked() { --alive; }

    int value;
};

struct Base
{
    virtual ~Base() = default;
};

struct Derived : Base
{
    static inline int destroyed = 0;
    ~Derived() override { ++destroyed; }
};

int deleterCalls = 0;
void countingDeleter(Base* object)
{
    ++deleterCalls;
    delete object;
}

} // namespace

class TestZelk : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Tracked::alive = 0;
        Tracked::copiesUntilFailure = -1;
        Derived::destroyed = 0;
        deleterCalls = 0;
    }

    void arrayGrowsByDoublingFromOne()
    {
        TArray<int> array;
        QCOMPARE(array.Capacity(), std::size_t(0));
        std::vector<std::size_t> capacities;
        for (int i = 0; i < 9; ++i) {
            QVERIFY(array.Add(i * 10));
            capacities.push_back(array.Capacity());
        }
        QCOMPARE(capacities, (std::vector<std::size_t> { 1, 2, 4, 4, 8, 8, 8, 8, 16 }));
        QCOMPARE(array.Count(), std::size_t(9));
        for (int i = 0; i < 9; ++i)
            QCOMPARE(array[i], i * 10);
    }

    void arrayKeepsElementsAliveExactlyOnce()
    {
        {
            TArray<Tracked> array;
            for (int i = 0; i < 5; ++i)
                QVERIFY(array.Add(Tracked(i)));
            QCOMPARE(Tracked::alive, 5);
            TArray<Tracked> copy(array);
            QCOMPARE(Tracked::alive, 10);
            TArray<Tracked> moved(std::move(copy));
            QCOMPARE(Tracked::alive, 10);
            QCOMPARE(copy.Count(), std::size_t(0));
            QCOMPARE(moved[4].value, 4);
        }
        QCOMPARE(Tracked::alive, 0);
    }

    void arrayAddOfItsOwnElementWhileGrowing()
    {
        TArray<CString> array;
        QVERIFY(array.Add(CString("first")));
        QVERIFY(array.Add(CString("second")));
        QCOMPARE(array.Capacity(), std::size_t(2));
        QVERIFY(array.Add(array[0]));
        QCOMPARE(array.Count(), std::size_t(3));
        QCOMPARE(QByteArray(array[2].c_str()), QByteArray("first"));
    }

    void arrayAddTurnsFailedCopyIntoFalse_data()
    {
        QTest::addColumn<int>("existing");
        QTest::newRow("with room") << 3;
        QTest::newRow("while growing") << 4;
    }

    void arrayAddTurnsFailedCopyIntoFalse()
    {
        QFETCH(int, existing);
        TArray<Tracked> array;
        for (int i = 0; i < existing; ++i)
            QVERIFY(array.Add(Tracked(i)));
        const Tracked extra(99);
        Tracked::copiesUntilFailure = 0;
        QVERIFY(!array.Add(extra));
        Tracked::copiesUntilFailure = -1;
        QCOMPARE(array.Count(), std::size_t(existing));
        QCOMPARE(Tracked::alive, existing + 1);
        QCOMPARE(array[existing - 1].value, existing - 1);
    }

    void arrayCopyThatFailsLeavesNothingBehind()
    {
        TArray<Tracked> array;
        for (int i = 0; i < 4; ++i)
            QVERIFY(array.Add(Tracked(i)));
        Tracked::copiesUntilFailure = 2;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, TArray<Tracked> copy(array));
        QCOMPARE(Tracked::alive, 4);
    }

    void sharedPointerDestroysOnLastRelease()
    {
        TSharedPtr<Base> first(new Derived);
        QCOMPARE(first.useCount(), 1L);
        {
            TSharedPtr<Base> second = first;
            QCOMPARE(first.useCount(), 2L);
        }
        QCOMPARE(Derived::destroyed, 0);
        first.reset();
        QCOMPARE(Derived::destroyed, 1);
        QVERIFY(!first);
    }

    void sharedPointerUsesItsDeleterThroughCasts()
    {
        TSharedPtr<Base> base(new Derived, &countingDeleter);
        TSharedPtr<Derived> derived = base.dynamicCast<Derived>();
        QVERIFY(derived);
        QCOMPARE(base.useCount(), 2L);
        base.reset();
        QCOMPARE(deleterCalls, 0);
        derived.reset();
        QCOMPARE(deleterCalls, 1);
        QCOMPARE(Derived::destroyed, 1);
    }

    void failedCastIsNullAndKeepsNoReference()
    {
        struct Other : Base
        {
        };
        TSharedPtr<Base> base(new Derived);
        QVERIFY(!base.dynamicCast<Other>());
        QCOMPARE(base.useCount(), 1L);
        QVERIFY(!TSharedPtr<Base>().dynamicCast<Derived>());
    }

    void sharedPointerCountsAcrossThreads()
    {
        TSharedPtr<Base> shared(new Derived);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([shared] {
                for (int i = 0; i < 20000; ++i) {
                    TSharedPtr<Base> copy = shared;
                    TSharedPtr<Base> another(copy);
                }
            });
        for (std::thread& thread : threads)
            thread.join();
        QCOMPARE(shared.useCount(), 1L);
        shared.reset();
        QCOMPARE(Derived::destroyed, 1);
    }

    void stringsCopyAndCompare()
    {
        const CString empty;
        QVERIFY(empty.empty());
        QCOMPARE(QByteArray(empty.c_str()), QByteArray(""));
        QVERIFY(CString(nullptr).empty());
        QVERIFY(CString("").empty());

        CString text("Gen<i>cam");
        CString copy = text;
        QVERIFY(copy == text);
        QVERIFY(copy.c_str() != text.c_str());
        CString moved = std::move(copy);
        QVERIFY(copy.empty());
        QCOMPARE(moved.length(), std::size_t(9));
        QVERIFY(CString("a") != CString("A"));
        QCOMPARE(QByteArray(CString("abc\0def", 7).c_str()), QByteArray("abc"));
        QCOMPARE(QByteArray(CString("abcdef", 3).c_str()), QByteArray("abc"));
        text = text;
        QCOMPARE(QByteArray(text.c_str()), QByteArray("Gen<i>cam"));
    }

    void variantConversions_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("integer");
        QTest::addColumn<bool>("flag");

        QTest::newRow("empty") << 0 << QByteArray("") << qint64(0) << false;
        QTest::newRow("true") << 1 << QByteArray("true") << qint64(1) << true;
        QTest::newRow("integer") << 2 << QByteArray("-42") << qint64(-42) << true;
        QTest::newRow("numeric text") << 3 << QByteArray("17") << qint64(17) << false;
        QTest::newRow("other text") << 4 << QByteArray("Gen<i>cam") << qint64(0) << false;
    }

    void variantConversions()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, text);
        QFETCH(qint64, integer);
        QFETCH(bool, flag);

        const CVariant values[] = { CVariant(), CVariant(true), CVariant(std::int64_t(-42)), CVariant("17"),
                                    CVariant("Gen<i>cam") };
        const CVariant& value = values[kind];
        QCOMPARE(QByteArray(value.toString().c_str()), text);
        QCOMPARE(qint64(value.toInt()), integer);
        QCOMPARE(value.toBool(), flag);
        QVERIFY(value == CVariant(value));
    }
};

QTEST_GUILESS_MAIN(TestZelk)
#include "tst_zelk.moc"
