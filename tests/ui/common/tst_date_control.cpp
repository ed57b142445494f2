// Orlith — desktop catalogue of removable media.
#include "ui/common/date_control_widget.h"

#include <QLineEdit>
#include <QTest>

using namespace orlith;
using namespace Qt::StringLiterals;

class TestDateControl : public QObject
{
    Q_OBJECT

private slots:
    void typing_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<int>("box"); // 0 day, 1 month, 2 year; all but the month emptied first
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text"); // the box afterwards
        QTest::addColumn<QDate>("date");   // invalid: not checked
        const auto d = [](int y, int m, int day) { return QDate(y, m, day); };
        QTest::newRow("leap 29") << d(2024, 2, 10) << 0 << u"29"_s << "29" << d(2024, 2, 29);
        QTest::newRow("plain 29") << d(2023, 2, 10) << 0 << u"29"_s << "9" << QDate();
        QTest::newRow("April 31") << d(2023, 4, 10) << 0 << u"31"_s << "1" << d(2023, 4, 1);
        QTest::newRow("May 31") << d(2023, 5, 10) << 0 << u"31"_s << "31" << d(2023, 5, 31);
        QTest::newRow("other keys") << d(2023, 5, 10) << 0 << u"31x"_s << "31" << QDate();
        QTest::newRow("third digit") << d(2023, 5, 10) << 0 << u"314"_s << "4" << d(2023, 5, 4);
        QTest::newRow("1 then 2") << d(2023, 1, 31) << 1 << u"2"_s << "12" << d(2023, 12, 31);
        QTest::newRow("month clamps") << d(2023, 1, 31) << 1 << u"22"_s << "2" << d(2023, 2, 28);
        QTest::newRow("year") << d(2023, 6, 15) << 2 << u"2025"_s << "2025" << d(2025, 6, 15);
        QTest::newRow("fifth digit") << d(2023, 6, 15) << 2 << u"20253"_s << "3" << QDate();
        QTest::newRow("before 1980") << d(2023, 6, 15) << 2 << u"1975"_s << "5" << QDate();
    }

    void typing()
    {
        QFETCH(QDate, start);
        QFETCH(int, box);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        DateControl c(nullptr, start);
        QLineEdit *edit = QList{c.dayBox(), c.monthBox(), c.yearBox()}[box];
        if (box != 1)
            edit->clear();
        for (QChar k : keys)
            QTest::keyClick(edit, k.toLatin1());
        QCOMPARE(edit->text(), text);
        if (date.isValid())
            QCOMPARE(c.DateVal(), date);
        QCOMPARE(c.dayBox()->text(), QString::number(c.DayVal()));
    }

    // Values out of range are refused, and a day that no longer fits is repaired.
    void settingPropertiesAndLook()
    {
        DateControl c(nullptr, QDate(2023, 6, 15));
        c.setYearVal(1979);
        QCOMPARE(c.yearBox()->text(), "2023");
        c.setDateVal(QDate(2024, 2, 29));
        QCOMPARE(c.DateVal(), QDate(2024, 2, 29));
        c.setYearVal(2025);
        QCOMPARE(c.DateVal(), QDate(2025, 2, 28));
        c.setDateVal(QDate(2023, 6, 15));
        c.dayBox()->setText("0");
        c.leaveDay();
        QCOMPARE(c.DayVal(), 15);
        c.setMonthVal(13);
        QCOMPARE(c.MonthVal(), 6);
        c.monthBox()->setText("4");
        c.setDayVal(31); // April has 30: today's day comes back
        QCOMPARE(c.DayVal(), 15);
        c.setEnable(false);
        QVERIFY(!c.dayBox()->isEnabled() && !c.yearBox()->isEnabled());
        c.setBackColor(0xFFFFFFu);
        QCOMPARE(c.dayBox()->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));
        QStringList keys;
        for (const auto &p : c.writeProperties())
            keys << p.first;
        QCOMPARE(keys, (QStringList{"DayVal", "MonthVal", "YearVal", "Enable", "BorderStyle",
                                    "BackColor", "ForeColor"}));
        DateControl other(nullptr, QDate(2020, 1, 1));
        QCOMPARE(other.writeProperties().size(), 6); // "Enable" only when false
        other.readProperties({{"DayVal", 3}, {"YearVal", 2001}});
        QCOMPARE(other.DateVal(), QDate(2001, 1, 3));
        QCOMPARE(other.dayBox()->text(), "3");
        const QSize size = c.size(); // keeps its background box's size
        c.resize(size * 2);
        QCOMPARE(c.size(), size);
    }
};

QTEST_MAIN(TestDateControl)
#include "tst_date_control.moc"
