#include "fitskeywords.h"
#include "keywordvalue.h"
#include "presetkeywords.h"

#include <zelkir/io/countrange.h>

#include <QTest>

using namespace zelkir;

class TestKeywords : public QObject
{
    Q_OBJECT

private slots:
    void fitsValueText_data();
    void fitsValueText();
    void structuralKeywords_data();
    void structuralKeywords();
    void numbers_data();
    void numbers();
    void logicals_data();
    void logicals();
    void presetInfo_data();
    void presetInfo();
    void presetOfFrame_data();
    void presetOfFrame();
    void bitDepth_data();
    void bitDepth();
};

void TestKeywords::fitsValueText_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("string") << "'Test camera'"
                            << "Test camera";
    QTest::newRow("padded string") << "'abc     '"
                                   << "abc";
    QTest::newRow("leading blanks kept") << "'  abc'"
                                         << "  abc";
    QTest::newRow("doubled quote") << "'O''Neil'"
                                   << "O'Neil";
    QTest::newRow("empty string") << "''"
                                  << "";
    QTest::newRow("unterminated") << "'abc"
                                  << "abc";
    QTest::newRow("number") << "   1.25E-03"
                            << "1.25E-03";
    QTest::newRow("logical") << "T"
                             << "T";
    QTest::newRow("empty") << ""
                           << "";
}

void TestKeywords::fitsValueText()
{
    QFETCH(QString, raw);
    QFETCH(QString, text);
    QCOMPARE(zelkir::fitsValueText(raw), text);
}

void TestKeywords::structuralKeywords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("structural");
    for (const char* name : { "SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS3", "NAXIS12", "EXTEND", "END",
             "COMMENT", "HISTORY", "CONTINUE", "XTENSION", "PCOUNT", "GCOUNT", "ZIMAGE", "ZNAXIS2", "ZTILE1",
             "TTYPE1", "TFORM2", "" })
        QTest::addRow("%s", name) << QString::fromLatin1(name) << true;
    for (const char* name :
        { "NAXISX", "INSTRUME", "DATE-OBS", "BSCALE", "BZERO", "RADGAIN", "TIME", "ZTILE", "NAXES" })
        QTest::addRow("%s", name) << QString::fromLatin1(name) << false;
}

void TestKeywords::structuralKeywords()
{
    QFETCH(QString, name);
    QFETCH(bool, structural);
    QCOMPARE(isStructuralFitsKeyword(name), structural);
}

void TestKeywords::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("isInteger");
    QTest::newRow("integer") << "42" << true << 42.0 << true;
    QTest::newRow("padded") << "   -7  " << true << -7.0 << true;
    QTest::newRow("exponent") << "1.5E+02" << true << 150.0 << true;
    QTest::newRow("Fortran exponent") << "1.5D+02" << true << 150.0 << true;
    QTest::newRow("fraction") << "0.125" << true << 0.125 << false;
    QTest::newRow("text") << "fast" << false << 0.0 << false;
    QTest::newRow("infinite") << "inf" << false << 0.0 << false;
    QTest::newRow("not a number") << "nan" << false << 0.0 << false;
    QTest::newRow("empty") << "" << false << 0.0 << false;
    QTest::newRow("out of range") << "1000" << true << 1000.0 << false;
}

void TestKeywords::numbers()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    QFETCH(bool, isInteger);
    const FileKeywords keywords { { "KEY", text, "" } };
    const std::optional<double> number = keywordNumber(keywords, QStringLiteral("key"));
    QCOMPARE(number.has_value(), isNumber);
    if (number)
        QCOMPARE(*number, value);
    QCOMPARE(keywordInteger(keywords, QStringLiteral("KEY"), -100, 999).has_value(), isInteger);
    QVERIFY(!keywordNumber(keywords, QStringLiteral("OTHER")));
}

void TestKeywords::logicals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("T") << "T" << 1;
    QTest::newRow("F") << "F" << 0;
    QTest::newRow("true") << "true" << 1;
    QTest::newRow("No") << "No" << 0;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("maybe") << "maybe" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestKeywords::logicals()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const std::optional<bool> logical
        = keywordLogical({ { "SEQUENCE", text, "" } }, QStringLiteral("SEQUENCE"));
    QCOMPARE(logical ? int(*logical) : -1, value);
}

void TestKeywords::presetInfo_data()
{
    QTest::addColumn<FileKeywords>("keywords");
    QTest::addColumn<bool>("sequencing");
    QTest::addColumn<bool>("superframing");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("preset");
    QTest::newRow("nothing") << FileKeywords {} << false << false << 1 << 0;
    QTest::newRow("single preset") << FileKeywords { { "PRESET", "3", "" } } << false << false << 8 << 3;
    QTest::newRow("sequencing") << FileKeywords { { "SEQUENCE", "T", "" }, { "PRESETS", "15", "" } } << true
                                << false << 15 << 0;
    QTest::newRow("superframe implies sequencing")
        << FileKeywords { { "SUPERFRM", "T", "" }, { "PRESETS", "6", "" } } << true << true << 6 << 1;
    QTest::newRow("preset outside mask")
        << FileKeywords { { "PRESETS", "12", "" }, { "PRESET", "0", "" } } << false << false << 12 << 2;
    QTest::newRow("bad mask and preset")
        << FileKeywords { { "PRESETS", "0", "" }, { "PRESET", "9", "" } } << false << false << 1 << 0;
    QTest::newRow("sequence off") << FileKeywords { { "SEQUENCE", "F", "" } } << false << false << 1 << 0;
}

void TestKeywords::presetInfo()
{
    QFETCH(FileKeywords, keywords);
    QFETCH(bool, sequencing);
    QFETCH(bool, superframing);
    QFETCH(int, mask);
    QFETCH(int, preset);
    const PresetInfo info = presetInfoFromKeywords(keywords);
    QCOMPARE(info.sequencing, sequencing);
    QCOMPARE(info.superframing, superframing);
    QCOMPARE(int(info.availablePresets), mask);
    QCOMPARE(info.preset, preset);
}

void TestKeywords::presetOfFrame_data()
{
    QTest::addColumn<bool>("sequencing");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QList<int>>("presets");
    QTest::newRow("not sequencing") << false << 0x0F << QList<int> { 5, 5, 5, 5 };
    QTest::newRow("four presets") << true << 0x0F << QList<int> { 0, 1, 2, 3, 0, 1 };
    QTest::newRow("gaps") << true << 0xA4 << QList<int> { 2, 5, 7, 2, 5, 7, 2 };
    QTest::newRow("one preset") << true << 0x10 << QList<int> { 4, 4, 4 };
}

void TestKeywords::presetOfFrame()
{
    QFETCH(bool, sequencing);
    QFETCH(int, mask);
    QFETCH(QList<int>, presets);
    PresetInfo info;
    info.sequencing = sequencing;
    info.availablePresets = quint8(mask);
    info.preset = 5;
    for (int frame = 0; frame < presets.size(); ++frame)
        QCOMPARE(info.presetOfFrame(frame), presets.at(frame));
}

void TestKeywords::bitDepth_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("bits");
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("255") << 255 << 8;
    QTest::newRow("256") << 256 << 9;
    QTest::newRow("4095") << 4095 << 12;
    QTest::newRow("16383") << 16383 << 14;
    QTest::newRow("65535") << 65535 << 16;
}

void TestKeywords::bitDepth()
{
    QFETCH(int, maximum);
    QFETCH(int, bits);
    QCOMPARE((CountRange { 0, quint16(maximum) }.bitDepth()), bits);
}

QTEST_GUILESS_MAIN(TestKeywords)
#include "tst_keywords.moc"
