// Orlith — desktop catalogue of removable media.
#include "core/store/date_text.h"
#include "core/store/text_codec.h"

#include <QTest>

using namespace orlith;

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void codecRoundTrip_data();
    void codecRoundTrip();
    void codecReadsForeignBytes();
    void dateRoundTrip_data();
    void dateRoundTrip();
    void dateReadsOtherForms_data();
    void dateReadsOtherForms();
    void dateRejectsGarbage();
};

void TestText::codecRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("latin1");
    QTest::newRow("ascii") << QStringLiteral("D:/x/a&b.txt") << true;
    QTest::newRow("latin1 accents") << QStringLiteral("Café Ø ß ÿ") << true;
    QTest::newRow("cyrillic") << QStringLiteral("Музыка/песня.mp3") << false;
    QTest::newRow("cjk") << QStringLiteral("音楽/曲.flac") << false;
    QTest::newRow("mixed latin1 and euro") << QStringLiteral("é €") << false;
    QTest::newRow("emoji") << QStringLiteral("a🎵b") << false;
    // Fits ISO-8859-1, but those bytes (DE 9E, C3 A9) would read back as UTF-8.
    QTest::newRow("latin1 that looks like utf-8") << QString::fromUtf8("\u00de\u009e;21") << false;
    QTest::newRow("utf-8 text as latin1 characters") << QString::fromLatin1("\xc3\xa9") << false;
    QTest::newRow("empty") << QString() << true;
}

void TestText::codecRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(bool, latin1);
    const QByteArray bytes = encodeSingleByte(text);
    QCOMPARE(bytes, latin1 ? text.toLatin1() : text.toUtf8());
    QCOMPARE(decodeSingleByte(bytes), text);
}

void TestText::codecReadsForeignBytes()
{
    // Latin-1 bytes that happen not to be UTF-8 stay Latin-1.
    QCOMPARE(decodeSingleByte(QByteArray("caf\xe9")), QStringLiteral("café"));
    // A lone continuation byte, an overlong form and a surrogate are not UTF-8.
    QCOMPARE(decodeSingleByte(QByteArray("\x80x")), QString::fromLatin1("\x80x"));
    QCOMPARE(decodeSingleByte(QByteArray("\xc0\xaf")), QString::fromLatin1("\xc0\xaf"));
    QCOMPARE(decodeSingleByte(QByteArray("\xed\xa0\x80")), QString::fromLatin1("\xed\xa0\x80"));
    // Truncated multi-byte sequence at the end.
    QCOMPARE(decodeSingleByte(QByteArray("ab\xe6\x9b")), QString::fromLatin1("ab\xe6\x9b"));
    QVERIFY(isValidUtf8("\xf0\x9f\x8e\xb5", 4));
    QVERIFY(!isValidUtf8("\xf4\x90\x80\x80", 4)); // past U+10FFFF
}

void TestText::dateRoundTrip_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("expected");
    QTest::newRow("de_DE") << QStringLiteral("de_DE") << QStringLiteral("14.03.2004 22:10:05");
    QTest::newRow("en_US") << QStringLiteral("en_US") << QStringLiteral("3/14/2004 22:10:05");
    QTest::newRow("hr_HR") << QStringLiteral("hr_HR") << QString();
    QTest::newRow("ja_JP") << QStringLiteral("ja_JP") << QString();
}

void TestText::dateRoundTrip()
{
    QFETCH(QString, localeName);
    QFETCH(QString, expected);
    const QLocale locale(localeName);
    const QDateTime when(QDate(2004, 3, 14), QTime(22, 10, 5));
    const QString text = formatDateText(when, locale);
    if (!expected.isEmpty())
        QCOMPARE(text, expected);
    QVERIFY2(text.contains(QLatin1String("2004")), qPrintable(text));
    QCOMPARE(parseDateText(text, locale), when);
    QCOMPARE(parseDate(formatDate(when.date(), locale), locale), when.date());
}

void TestText::dateReadsOtherForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime when(QDate(2004, 3, 14), QTime(22, 10, 5));
    QTest::newRow("day first, read under en_US") << QStringLiteral("14.03.2004 22:10:05") << when;
    QTest::newRow("iso") << QStringLiteral("2004-03-14T22:10:05") << when;
    QTest::newRow("iso with space") << QStringLiteral("2004-03-14 22:10:05") << when;
    QTest::newRow("date only") << QStringLiteral("3/14/2004")
                               << QDateTime(QDate(2004, 3, 14), QTime(0, 0));
    QTest::newRow("12-hour clock") << QStringLiteral("3/14/2004 10:10:05 PM") << when;
    QTest::newRow("spaces around") << QStringLiteral("  3/14/2004 22:10:05 ") << when;
}

void TestText::dateReadsOtherForms()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    QCOMPARE(parseDateText(text, QLocale(QStringLiteral("en_US"))), expected);
}

void TestText::dateRejectsGarbage()
{
    const QLocale locale(QStringLiteral("en_US"));
    for (const char *bad : {"", "yesterday", "32/13/2004 10:00:00", "3/14/2004 25:61:00", "//"})
        QVERIFY2(!parseDateText(QString::fromLatin1(bad), locale).isValid(), bad);
}

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
