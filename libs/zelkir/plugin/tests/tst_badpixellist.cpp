#include "badpixellist.h"

#include <QTest>

using zelkir::BadPixelList;
using Bytes = std::vector<std::uint8_t>;

class TestBadPixelList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decode_data();
    void decode();
    void toggleAndEncode();
};

void TestBadPixelList::decode_data()
{
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<QPoint>>("pixels");

    const Bytes two { 0x01, 0x02, 0x00, 0x03, 0x00, 0x04, 0xff, 0xff };
    QTest::newRow("big-endian x then y")
        << two << qint64(2) << qint64(2) << true << QList<QPoint> { QPoint(258, 3), QPoint(4, 65535) };
    QTest::newRow("entries past the count ignored")
        << two << qint64(1) << qint64(2) << true << QList<QPoint> { QPoint(258, 3) };
    QTest::newRow("empty") << Bytes() << qint64(0) << qint64(0) << true << QList<QPoint>();
    QTest::newRow("count above capacity") << two << qint64(2) << qint64(1) << false << QList<QPoint>();
    QTest::newRow("count past the bytes") << two << qint64(3) << qint64(8) << false << QList<QPoint>();
    QTest::newRow("negative count") << two << qint64(-1) << qint64(2) << false << QList<QPoint>();
    QTest::newRow("absurd capacity") << two << qint64(0) << (qint64(1) << 40) << false << QList<QPoint>();
}

void TestBadPixelList::decode()
{
    QFETCH(Bytes, bytes);
    QFETCH(qint64, count);
    QFETCH(qint64, capacity);
    QFETCH(bool, ok);
    QFETCH(QList<QPoint>, pixels);
    const std::optional<BadPixelList> list = BadPixelList::decode(bytes, count, capacity);
    QCOMPARE(list.has_value(), ok);
    if (list)
        QCOMPARE(list->pixels(), pixels);
}

void TestBadPixelList::toggleAndEncode()
{
    BadPixelList list(2);
    QCOMPARE(list.toggle(QPoint(1, 2)), BadPixelList::Toggle::Marked);
    QCOMPARE(list.toggle(QPoint(65536, 0)), BadPixelList::Toggle::OutOfRange);
    QCOMPARE(list.toggle(QPoint(3, 4)), BadPixelList::Toggle::Marked);
    QCOMPARE(list.toggle(QPoint(5, 6)), BadPixelList::Toggle::Full);
    QCOMPARE(list.toggle(QPoint(1, 2)), BadPixelList::Toggle::Unmarked);
    QCOMPARE(list.toggle(QPoint(300, 6)), BadPixelList::Toggle::Marked);
    QCOMPARE(list.encode(), Bytes({ 0, 3, 0, 4, 0x01, 0x2c, 0, 6 }));
    QCOMPARE(list.toggle(QPoint(3, 4)), BadPixelList::Toggle::Unmarked);
    // The whole register goes to the camera, zeros after the last entry.
    QCOMPARE(list.encode(), Bytes({ 0x01, 0x2c, 0, 6, 0, 0, 0, 0 }));
}

QTEST_APPLESS_MAIN(TestBadPixelList)
#include "tst_badpixellist.moc"
