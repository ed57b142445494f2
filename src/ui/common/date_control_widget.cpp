// Orlith — desktop catalogue of removable media.
#include "ui/common/date_control_widget.h"

#include "core/store/file_categories.h"

#include <QCalendarWidget>
#include <QClipboard>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace orlith {

namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2099;

// Box geometry in twips: left, top, width, height.
struct TwipRect
{
    int left, top, width, height;
};
constexpr TwipRect kBackground{0, 0, 1155, 255};
constexpr TwipRect kDayBox{60, 30, 225, 195};
constexpr TwipRect kMonthBox{360, 30, 225, 195};
constexpr TwipRect kYearBox{690, 30, 435, 165};

// Text of a box read as a number, as the leaving checks read it: -1 when it is not one.
int numberOf(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : -1;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('/') || c == QLatin1Char('-');
}

} // namespace

// --- rules ---------------------------------------------------------------------------

DateRules::DateRules(QDate today)
    : m_today(today), m_days{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}
{
    setYearForFebruary(today.year());
}

int DateRules::monthLength(int month) const
{
    return (month >= 0 && month <= 12) ? m_days[size_t(month)] : 0;
}

void DateRules::setYearForFebruary(int year)
{
    m_days[2] = year % 4 == 0 ? 29 : 28;
}

QString DateRules::dayKey(const QString &dayText, QChar key, int month) const
{
    if (!key.isDigit() || key.unicode() >= 0x80)
        return dayText;
    if (dayText.size() <= 1) {
        const QString candidate = dayText + key;
        return numberOf(candidate) <= monthLength(month) ? candidate : QString(key);
    }
    return QString(key);
}

QString DateRules::monthKey(const QString &monthText, QChar key) const
{
    if (!key.isDigit() || key.unicode() >= 0x80)
        return monthText;
    if (monthText.size() <= 1) {
        const QString candidate = monthText + key;
        return numberOf(candidate) <= 12 ? candidate : QString(key);
    }
    return QString(key);
}

QString DateRules::yearKey(const QString &yearText, QChar key) const
{
    if (!key.isDigit() || key.unicode() >= 0x80)
        return yearText;
    if (yearText.size() > 4)
        return yearText;
    const QString candidate = yearText + key;
    const int value = numberOf(candidate);
    if (value > kLastYear)
        return QString(key);
    if (candidate.size() == 4 && value < kFirstYear)
        return QString(key);
    return candidate;
}

QDate DateRules::parseDate(const QString &text)
{
    // [0-9], not \d: other scripts' digits would match and then not convert.
    static const QRegularExpression packed(QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{4})$"));
    static const QRegularExpression parted(
        QStringLiteral("^([0-9]{1,2})[./-]([0-9]{1,2})[./-]([0-9]{4})$"));
    const QString trimmed = text.trimmed();
    QRegularExpressionMatch m = packed.match(trimmed);
    if (!m.hasMatch())
        m = parted.match(trimmed);
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!date.isValid() || date.year() < kFirstYear || date.year() > kLastYear)
        return {};
    return date;
}

// --- widget --------------------------------------------------------------------------

DateControl::DateControl(QWidget *parent, QDate today)
    : QWidget(parent), m_rules(today), m_day(today.day()), m_month(today.month()),
      m_year(today.year())
{
    auto box = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->installEventFilter(this);
        return edit;
    };
    m_background = box("Text1");
    m_background->setReadOnly(true);
    m_background->setText(QStringLiteral("      .     ."));
    m_background->setFocusPolicy(Qt::ClickFocus);
    m_dayBox = box("Text2");
    m_monthBox = box("Text3");
    m_yearBox = box("Text4");
    for (QLineEdit *edit : {m_dayBox, m_monthBox, m_yearBox}) {
        edit->setFrame(false);
        edit->setAlignment(Qt::AlignCenter);
        edit->setTextMargins(0, 0, 0, 0);
    }
    m_dayBox->setText(QString::number(m_day));
    m_monthBox->setText(QString::number(m_month));
    m_yearBox->setText(QString::number(m_year));
    setFocusProxy(m_dayBox);
    m_calendarButton = new QToolButton(this);
    m_calendarButton->setObjectName(QStringLiteral("cmdCalendar"));
    m_calendarButton->setArrowType(Qt::DownArrow);
    m_calendarButton->setToolTip(QStringLiteral("Choose the date from a calendar"));
    // Tab goes from the year straight on to the next control.
    m_calendarButton->setFocusPolicy(Qt::NoFocus);
    connect(m_calendarButton, &QToolButton::clicked, this, &DateControl::showCalendar);

    // Scaled so the font fits: at least the screen's twips, more when the font is larger.
    const double byDpi = logicalDpiY() / 1440.0;
    const double byFont = (fontMetrics().height() + 2) / double(kYearBox.height);
    m_pixelsPerTwip = std::max(byDpi, byFont);
    placeBoxes();
}

void DateControl::placeBoxes()
{
    auto px = [this](int twips) { return int(std::lround(twips * m_pixelsPerTwip)); };
    auto place = [&](QWidget *w, const TwipRect &r) {
        w->setGeometry(px(r.left), px(r.top), px(r.width), px(r.height));
    };
    place(m_background, kBackground);
    place(m_dayBox, kDayBox);
    place(m_monthBox, kMonthBox);
    place(m_yearBox, kYearBox);
    const int side = px(kBackground.height);
    m_calendarButton->setGeometry(px(kBackground.width), 0, side, side);
    alignPoints();
    // The control always has the background box's size, and the button's beside it.
    setFixedSize(px(kBackground.width) + side, side);
    m_dayBox->raise();
    m_monthBox->raise();
    m_yearBox->raise();
}

void DateControl::alignPoints()
{
    // The background's two points sit in the gaps between the boxes whatever the font:
    // letter spacing sets the distance between them, the left margin the first one's place.
    auto px = [this](double twips) { return twips * m_pixelsPerTwip; };
    const double firstGap = (kDayBox.left + kDayBox.width + kMonthBox.left) / 2.0;
    const double secondGap = (kMonthBox.left + kMonthBox.width + kYearBox.left) / 2.0;
    QFont font = m_background->font();
    const QFontMetricsF plain(font);
    const double space = plain.horizontalAdvance(QLatin1Char(' '));
    const double point = plain.horizontalAdvance(QLatin1Char('.'));
    const double spacing = (px(secondGap - firstGap) - 5 * space - point) / 6;
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    m_background->setFont(font);
    const QFontMetricsF spaced(font);
    const double before = spaced.horizontalAdvance(QStringLiteral("      ")) + point / 2;
    // QLineEdit draws its text a few pixels in from the frame.
    constexpr int kLineEditInset = 3;
    m_background->setTextMargins(int(std::lround(px(firstGap) - before)) - kLineEditInset, 0, 0, 0);
}

void DateControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QSize whole(m_background->width() + m_calendarButton->width(), m_background->height());
    if (size() != whole)
        resize(whole);
}

int DateControl::boxValue(const QLineEdit *box) const
{
    return numberOf(box->text());
}

void DateControl::showValue(QLineEdit *box, int value)
{
    box->setText(QString::number(value));
}

bool DateControl::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (!box)
        return QWidget::eventFilter(watched, event);
    const bool part = box != m_background;
    switch (event->type()) {
    case QEvent::FocusIn:
        if (!part) {
            m_dayBox->setFocus();
            return true;
        }
        m_fresh = box;
        // Selected after the click that gave the focus has been handled.
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
        break;
    case QEvent::MouseButtonRelease:
        if (part)
            box->selectAll();
        break;
    case QEvent::FocusOut:
        if (box == m_dayBox)
            leaveDay();
        else if (box == m_monthBox)
            leaveMonth();
        else if (box == m_yearBox)
            leaveYear();
        break;
    case QEvent::KeyPress: {
        if (!part)
            break;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Paste)) {
            if (const QClipboard *clipboard = QGuiApplication::clipboard())
                setDateText(clipboard->text());
            return true;
        }
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && key->modifiers() & Qt::AltModifier)) {
            showCalendar();
            return true;
        }
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
            return false;
        default:
            break;
        }
        // Every other key is the control's: a digit is typed by the rules, the rest dropped.
        if (!key->text().isEmpty())
            typeKey(box, key->text().at(0));
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void DateControl::typeKey(QLineEdit *box, QChar key)
{
    if (isSeparator(key)) {
        if (!box->text().isEmpty())
            moveOn(box);
        return;
    }
    const bool digit = key.isDigit() && key.unicode() < 0x80;
    if (digit && m_fresh == box)
        box->clear();
    m_fresh = nullptr;
    if (box == m_dayBox) {
        box->setText(m_rules.dayKey(box->text(), key, boxValue(m_monthBox)));
        m_day = boxValue(box);
        box->setSelection(0, 2);
    } else if (box == m_monthBox) {
        box->setText(m_rules.monthKey(box->text(), key));
        m_month = boxValue(box);
        // A lone "0" is the start of a month, not one that has no days.
        const int length = m_rules.monthLength(m_month);
        if (length > 0 && boxValue(m_dayBox) > length) {
            m_day = length;
            showValue(m_dayBox, length);
        }
        box->setSelection(0, 2);
    } else if (box == m_yearBox) {
        box->setText(m_rules.yearKey(box->text(), key));
        m_year = boxValue(box);
        box->setSelection(0, 4);
    }
    if (digit && box != m_yearBox && box->text().size() == 2)
        moveOn(box);
}

void DateControl::moveOn(QLineEdit *box)
{
    QLineEdit *next = box == m_dayBox ? m_monthBox : box == m_monthBox ? m_yearBox : nullptr;
    if (!next)
        return;
    next->setFocus(Qt::TabFocusReason);
    // Also when the window is not active and no focus event comes.
    m_fresh = next;
}

bool DateControl::setDateText(const QString &text)
{
    const QDate parsed = DateRules::parseDate(text);
    if (!parsed.isValid())
        return false;
    setDate(parsed);
    return true;
}

void DateControl::showCalendar()
{
    if (m_calendar || !m_enabled)
        return;
    auto *popup = new QFrame(this, Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setFrameShape(QFrame::StyledPanel);
    m_calendar = new QCalendarWidget(popup);
    m_calendar->setObjectName(QStringLiteral("calDate"));
    m_calendar->setDateRange(QDate(kFirstYear, 1, 1), QDate(kLastYear, 12, 31));
    m_calendar->setSelectedDate(date().isValid() ? date() : m_rules.today());
    auto *layout = new QVBoxLayout(popup);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_calendar);
    const auto choose = [this, popup](QDate day) {
        setDate(day);
        popup->close();
    };
    connect(m_calendar, &QCalendarWidget::clicked, this, choose);
    connect(m_calendar, &QCalendarWidget::activated, this, choose);
    popup->adjustSize();
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void DateControl::leaveDay()
{
    const int value = boxValue(m_dayBox);
    if (value < 1 || value > m_rules.monthLength(boxValue(m_monthBox))) {
        m_day = m_rules.today().day();
        showValue(m_dayBox, m_day);
    }
}

void DateControl::leaveMonth()
{
    const int value = boxValue(m_monthBox);
    if (value < 1 || value > 12) {
        m_month = m_rules.today().month();
        showValue(m_monthBox, m_month);
    }
}

void DateControl::leaveYear()
{
    const int value = boxValue(m_yearBox);
    if (value < kFirstYear || value > kLastYear) {
        m_year = m_rules.today().year();
        showValue(m_yearBox, m_year);
    }
    m_rules.setYearForFebruary(m_year);
    const int day = boxValue(m_dayBox);
    const int length = m_rules.monthLength(boxValue(m_monthBox));
    if (day < 1 || day > length) {
        m_day = length;
        showValue(m_dayBox, length);
    }
}

void DateControl::setDay(int day)
{
    m_day = day;
    showValue(m_dayBox, day);
    leaveDay();
}

void DateControl::setMonth(int month)
{
    m_month = month;
    showValue(m_monthBox, month);
    leaveMonth();
}

void DateControl::setYear(int year)
{
    m_year = year;
    showValue(m_yearBox, year);
    leaveYear();
}

QDate DateControl::date() const
{
    return QDate(m_year, m_month, m_day);
}

void DateControl::setDate(QDate date)
{
    m_day = date.day();
    m_month = date.month();
    m_year = date.year();
    showValue(m_dayBox, m_day);
    showValue(m_monthBox, m_month);
    showValue(m_yearBox, m_year);
    leaveYear();
}

void DateControl::setEnable(bool on)
{
    m_enabled = on;
    for (QLineEdit *box : {m_background, m_dayBox, m_monthBox, m_yearBox})
        box->setEnabled(on);
    m_calendarButton->setEnabled(on);
}

void DateControl::setBorderStyle(int style)
{
    m_borderStyle = style;
    m_background->setFrame(style != 0);
}

void DateControl::setBackColor(quint32 color)
{
    m_backColor = color;
    applyColors();
}

void DateControl::setForeColor(quint32 color)
{
    m_foreColor = color;
    applyColors();
}

void DateControl::applyColors()
{
    const QColor back = colorFromText(QString::number(m_backColor), palette());
    const QColor fore = colorFromText(QString::number(m_foreColor), palette());
    for (QLineEdit *box : {m_background, m_dayBox, m_monthBox, m_yearBox}) {
        QPalette p = box->palette();
        p.setColor(QPalette::Active, QPalette::Base, back);
        p.setColor(QPalette::Inactive, QPalette::Base, back);
        p.setColor(QPalette::Active, QPalette::Text, fore);
        p.setColor(QPalette::Inactive, QPalette::Text, fore);
        box->setPalette(p);
    }
}

QList<std::pair<QString, QVariant>> DateControl::writeProperties() const
{
    QList<std::pair<QString, QVariant>> out{
        {QStringLiteral("DayVal"), m_day},
        {QStringLiteral("MonthVal"), m_month},
        {QStringLiteral("YearVal"), m_year},
    };
    if (!m_enabled)
        out.append({QStringLiteral("Enable"), false});
    out.append({QStringLiteral("BorderStyle"), m_borderStyle});
    out.append({QStringLiteral("BackColor"), m_backColor});
    out.append({QStringLiteral("ForeColor"), m_foreColor});
    return out;
}

void DateControl::readProperties(const QVariantMap &properties)
{
    auto take = [&](const char *key, auto &field) {
        const auto it = properties.constFind(QString::fromLatin1(key));
        if (it != properties.cend())
            field = it->template value<std::decay_t<decltype(field)>>();
    };
    take("DayVal", m_day);
    take("MonthVal", m_month);
    take("YearVal", m_year);
    take("Enable", m_enabled);
    take("BorderStyle", m_borderStyle);
    take("BackColor", m_backColor);
    take("ForeColor", m_foreColor);
    showValue(m_dayBox, m_day);
    showValue(m_monthBox, m_month);
    showValue(m_yearBox, m_year);
    setBorderStyle(m_borderStyle);
    applyColors();
}

} // namespace orlith
