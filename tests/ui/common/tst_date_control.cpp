// Orlith — desktop catalogue of removable media.
#include "ui/common/date_control_widget.h"

#include <QLineEdit>
#include <QTest>

using namespace orlith;

namespace {

// Types `keys` into a box of the control, one key at a time.
void type(QLineEdit *box, const QString &keys)
{
    for (QChar c : keys)
        QTest::keyClick(box, c.toLatin1());
}

} // namespace

class TestDateControl : public QObject
{
    Q_OBJECT

private slots:
    void dayKeysFollowTheMonth()
    {
        DateControl leap(nullptr, QDate(2024, 2, 10));
        leap.dayBox()->clear();
        type(leap.dayBox(), QStringLiteral("29"));
        QCOMPARE(leap.DayVal(), 29);
        DateControl plain(nullptr, QDate(2023, 2, 10));
        plain.dayBox()->clear();
        type(plain.dayBox(), QStringLiteral("29"));
        QCOMPARE(plain.dayBox()->text(), QStringLiteral("9"));

        DateControl april(nullptr, QDate(2023, 4, 10));
        april.dayBox()->clear();
        type(april.dayBox(), QStringLiteral("31"));
        QCOMPARE(april.DayVal(), 1);
        april.setMonthVal(5);
        april.dayBox()->clear();
        type(april.dayBox(), QStringLiteral("31"));
        QCOMPARE(april.DayVal(), 31);
        // Other keys change nothing; a third digit starts again.
        type(april.dayBox(), QStringLiteral("x"));
        QCOMPARE(april.dayBox()->text(), QStringLiteral("31"));
        type(april.dayBox(), QStringLiteral("4"));
        QCOMPARE(april.DayVal(), 4);
    }

    void monthKeysClampTheDay()
    {
        DateControl c(nullptr, QDate(2023, 1, 31));
        QCOMPARE(c.monthBox()->text(), QStringLiteral("1"));
        type(c.monthBox(), QStringLiteral("2")); // after a single 1: 12
        QCOMPARE(c.MonthVal(), 12);
        type(c.monthBox(), QStringLiteral("2")); // two digits held: starts again with 2
        QCOMPARE(c.MonthVal(), 2);
        QCOMPARE(c.DayVal(), 28);
        QCOMPARE(c.dayBox()->text(), QStringLiteral("28"));
    }

    void yearKeysAndChecks()
    {
        DateControl c(nullptr, QDate(2023, 6, 15));
        c.yearBox()->clear();
        type(c.yearBox(), QStringLiteral("2025"));
        QCOMPARE(c.YearVal(), 2025);
        type(c.yearBox(), QStringLiteral("3")); // a fifth digit restarts the year
        QCOMPARE(c.yearBox()->text(), QStringLiteral("3"));
        c.yearBox()->clear();
        type(c.yearBox(), QStringLiteral("1975")); // below 1980 at the fourth key
        QCOMPARE(c.yearBox()->text(), QStringLiteral("5"));

        c.setYearVal(1979);
        QCOMPARE(c.YearVal(), 2023);
        QCOMPARE(c.yearBox()->text(), QStringLiteral("2023"));

        // Leaving the year in a leap year makes 29 February possible, and clamps a day
        // that no longer fits.
        c.setDateVal(QDate(2024, 2, 29));
        QCOMPARE(c.DateVal(), QDate(2024, 2, 29));
        c.setYearVal(2025);
        QCOMPARE(c.DayVal(), 28);
        QCOMPARE(c.DateVal(), QDate(2025, 2, 28));
    }

    void leavingBoxesRepairsThem()
    {
        DateControl c(nullptr, QDate(2023, 6, 15));
        c.dayBox()->setText(QStringLiteral("0"));
        c.leaveDay();
        QCOMPARE(c.DayVal(), 15);
        c.setMonthVal(13);
        QCOMPARE(c.MonthVal(), 6);
        c.monthBox()->setText(QStringLiteral("4"));
        c.setDayVal(31); // April has 30: today's day comes back
        QCOMPARE(c.DayVal(), 15);
    }

    void propertiesAndLook()
    {
        DateControl c(nullptr, QDate(2023, 6, 15));
        c.setEnable(false);
        QVERIFY(!c.dayBox()->isEnabled() && !c.yearBox()->isEnabled());
        c.setBorderStyle(0);
        c.setBackColor(0xFFFFFFu);
        QCOMPARE(c.dayBox()->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));
        const auto props = c.writeProperties();
        QStringList keys;
        for (const auto &p : props)
            keys << p.first;
        QCOMPARE(keys, (QStringList{"DayVal", "MonthVal", "YearVal", "Enable", "BorderStyle",
                                    "BackColor", "ForeColor"}));

        DateControl other(nullptr, QDate(2020, 1, 1));
        QVERIFY(other.writeProperties().size() == 6); // "Enable" only when false
        other.readProperties({{QStringLiteral("DayVal"), 3}, {QStringLiteral("YearVal"), 2001}});
        QCOMPARE(other.DateVal(), QDate(2001, 1, 3));
        QCOMPARE(other.dayBox()->text(), QStringLiteral("3"));

        // The control keeps its background box's size.
        const QSize size = c.size();
        c.resize(size * 2);
        QCOMPARE(c.size(), size);
    }
};

QTEST_MAIN(TestDateControl)
#include "tst_date_control.moc"
