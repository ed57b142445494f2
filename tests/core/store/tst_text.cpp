// Orlith — desktop catalogue of removable media.
#include "core/store/date_text.h"
#include "core/store/text_codec.h"

#include <QTest>

using namespace orlith;
using namespace Qt::StringLiterals;

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void codecRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("latin1");
        QTest::newRow("ascii") << u"D:/x/a&b.txt"_s << true;
        QTest::newRow("latin1 accents") << u"Café Ø ß ÿ"_s << true;
        QTest::newRow("cyrillic") << u"Музыка/песня.mp3"_s << false;
        QTest::newRow("mixed latin1 and euro") << u"é €"_s << false;
        QTest::newRow("emoji") << u"a🎵b"_s << false;
        // Fits ISO-8859-1, but those bytes (DE 9E, C3 A9) would read back as UTF-8.
        QTest::newRow("latin1 that looks like utf-8")
            << QString::fromUtf8("\u00de\u009e;21") << false;
        QTest::newRow("utf-8 text as latin1 characters")
            << QString::fromLatin1("\xc3\xa9") << false;
        QTest::newRow("empty") << QString() << true;
        // Bytes that are not UTF-8 stay Latin-1 both ways: a lone continuation byte, an overlong
        // form, a surrogate, a sequence cut at the end, a code point past U+10FFFF.
        for (const char *bytes :
             {"\x80x", "\xc0\xaf", "\xed\xa0\x80", "ab\xe6\x9b", "\xf4\x90\x80\x80"})
            QTest::addRow("not utf-8: %s", QByteArray(bytes).toHex(' ').constData())
                << QString::fromLatin1(bytes) << true;
    }

    void codecRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(bool, latin1);
        const QByteArray bytes = encodeSingleByte(text);
        QCOMPARE(bytes, latin1 ? text.toLatin1() : text.toUtf8());
        QCOMPARE(decodeSingleByte(bytes), text);
    }

    void dateRoundTrip_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("de_DE") << u"de_DE"_s << u"14.03.2004 22:10:05"_s;
        QTest::newRow("en_US") << u"en_US"_s << u"3/14/2004 22:10:05"_s;
        QTest::newRow("hr_HR") << u"hr_HR"_s << QString();
        QTest::newRow("ja_JP") << u"ja_JP"_s << QString();
    }

    void dateRoundTrip()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, expected);
        const QLocale locale(localeName);
        const QDateTime when(QDate(2004, 3, 14), QTime(22, 10, 5));
        const QString text = formatDateText(when, locale);
        QVERIFY2(expected.isEmpty() ? text.contains(QLatin1String("2004")) : text == expected,
                 qPrintable(text));
        QCOMPARE(parseDateText(text, locale), when);
        QCOMPARE(parseDate(formatDate(when.date(), locale), locale), when.date());
    }

    void dateReadsOtherForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: refused
        const QDateTime when(QDate(2004, 3, 14), QTime(22, 10, 5));
        QTest::newRow("day first, read under en_US") << u"14.03.2004 22:10:05"_s << when;
        QTest::newRow("iso") << u"2004-03-14T22:10:05"_s << when;
        QTest::newRow("iso with space") << u"2004-03-14 22:10:05"_s << when;
        QTest::newRow("date only") << u"3/14/2004"_s << QDateTime(QDate(2004, 3, 14), QTime(0, 0));
        QTest::newRow("12-hour clock") << u"3/14/2004 10:10:05 PM"_s << when;
        QTest::newRow("spaces around") << u"  3/14/2004 22:10:05 "_s << when;
        for (const char *bad : {"", "yesterday", "32/13/2004 10:00:00", "3/14/2004 25:61:00", "//"})
            QTest::addRow("bad '%s'", bad) << QString::fromLatin1(bad) << QDateTime();
    }

    void dateReadsOtherForms()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        QCOMPARE(parseDateText(text, QLocale(u"en_US"_s)), expected);
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
