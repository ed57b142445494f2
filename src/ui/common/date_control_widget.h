// Orlith — desktop catalogue of removable media.
#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QList>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <array>
#include <utility>

class QLineEdit;
class QToolButton;

namespace orlith {

class DateControl;

// The rules of DateControl without widgets: what a key does to a box's text and what
// leaving a box corrects. Texts go in and out so the same rules serve the boxes and tests.
class DateRules
{
public:
    explicit DateRules(QDate today);

    // Days of `month` (0 for an index outside 1 to 12); February as the last year check set.
    int monthLength(int month) const;
    // February gets 29 days when `year` is divisible by 4.
    void setYearForFebruary(int year);

    // A key typed into a box: the box's new text. A key that is not a digit leaves it.
    QString dayKey(const QString &dayText, QChar key, int month) const;
    QString monthKey(const QString &monthText, QChar key) const;
    QString yearKey(const QString &yearText, QChar key) const;

    // A whole date typed or pasted: "01012022" (day, month, year in two, two and four
    // digits) or "1.1.2022" ("/" and "-" part it too). Invalid when it is no date or its
    // year is outside what the year box takes.
    static QDate parseDate(const QString &text);

    QDate today() const { return m_today; }

private:
    QDate m_today;
    std::array<int, 13> m_days;
};

// Day, month and year boxes on one background box ("      .     ."), for entering a date.
// Keys keep each part plausible while typing; leaving a part corrects it. A part moves on
// to the next once it has two digits or takes a ".", "/" or "-", and the first key in a
// part that has just taken the focus starts it afresh, so "01012022" and "1.1.2022" typed
// from the day box fill all three; a whole date pasted into any part fills them too. The
// button beside the boxes (and Alt+Down in them) opens a calendar. Object names: Text1
// (background), Text2 (day), Text3 (month), Text4 (year), cmdCalendar, and calDate for
// the calendar while it is open.
class DateControl : public QWidget
{
    Q_OBJECT

public:
    explicit DateControl(QWidget *parent = nullptr, QDate today = QDate::currentDate());

    int day() const { return m_day; }
    int month() const { return m_month; }
    int year() const { return m_year; }
    void setDay(int day);
    void setMonth(int month);
    void setYear(int year);
    // Day, month and year as a date; invalid when they form none (31 April).
    QDate date() const;
    void setDate(QDate date);
    // Fills the three parts from a whole date as parseDate reads it; false, changing
    // nothing, when it reads none.
    bool setDateText(const QString &text);

    // The calendar pop-up, open on the shown date (today's when the parts form none); a
    // chosen day fills the parts and closes it. Null while it is closed.
    void showCalendar();
    QCalendarWidget *calendar() const { return m_calendar.data(); }

    bool Enable() const { return m_enabled; }
    void setEnable(bool on);
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);
    // 32-bit colour values: red in the low byte; a set top bit names a system colour.
    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 color);
    quint32 foreColor() const { return m_foreColor; }
    void setForeColor(quint32 color);

    // The stored property set, in its order; "Enable" only when false.
    QList<std::pair<QString, QVariant>> writeProperties() const;
    // Missing keys keep their values; "Enable" is stored, not applied.
    void readProperties(const QVariantMap &properties);

    QLineEdit *dayBox() const { return m_dayBox; }
    QLineEdit *monthBox() const { return m_monthBox; }
    QLineEdit *yearBox() const { return m_yearBox; }

    // The checks run when the user leaves a box.
    void leaveDay();
    void leaveMonth();
    void leaveYear();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void typeKey(QLineEdit *box, QChar key);
    // Gives the focus to the part after `box`, if any.
    void moveOn(QLineEdit *box);
    void showValue(QLineEdit *box, int value);
    void applyColors();
    void placeBoxes();
    void alignPoints();
    int boxValue(const QLineEdit *box) const;

    DateRules m_rules;
    QLineEdit *m_background;
    QLineEdit *m_dayBox;
    QLineEdit *m_monthBox;
    QLineEdit *m_yearBox;
    QToolButton *m_calendarButton;
    QPointer<QCalendarWidget> m_calendar;
    QLineEdit *m_fresh = nullptr; // the part that has taken the focus and no key yet
    int m_day;
    int m_month;
    int m_year;
    bool m_enabled = true;
    int m_borderStyle = 1;
    quint32 m_backColor = 0;
    quint32 m_foreColor = 0;
    double m_pixelsPerTwip = 1.0 / 15.0;
};

} // namespace orlith
