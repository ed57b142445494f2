// Orlith — desktop catalogue of removable media.
#include "ui/options/options_window.h"

#include "core/settings/archive_reminder.h"
#include "core/store/date_text.h"
#include "core/store/file_categories.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QVBoxLayout>

namespace orlith {

namespace {

enum Tab { General = 0, Colors = 1 };
constexpr int kColorTextRole = Qt::UserRole;

// One palette swatch: a framed square of its colour that clicks like a button.
class ColorSwatch : public QAbstractButton
{
public:
    ColorSwatch(const QColor &color, QWidget *parent) : QAbstractButton(parent), m_color(color)
    {
        setFixedSize(26, 22);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        p.fillRect(r, m_color);
        p.setPen(isDown() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
        p.drawRect(r);
    }

private:
    QColor m_color;
};

QGroupBox *frame(const char *name, const char *title, QWidget *parent)
{
    auto *box = new QGroupBox(QString::fromLatin1(title), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

OptionsWindow::OptionsWindow(SettingsRecord &record, QDate today, QWidget *parent)
    : QDialog(parent), m_record(record), m_today(today)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    m_tabs = named(new QTabBar(this), "OptionTab");
    m_tabs->addTab(QStringLiteral("General"));
    m_tabs->addTab(QStringLiteral("Colors"));
    m_tabs->setExpanding(false);

    buildGeneralFrames();
    buildColorFrame();

    m_ok = named(new QPushButton(QStringLiteral("Apply"), this), "cmdOK");
    m_ok->setDefault(true);
    auto *cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    connect(m_ok, &QPushButton::clicked, this, &OptionsWindow::apply);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // One page per tab, as large as the larger one: switching tabs never resizes the
    // window or moves its buttons.
    m_pages = new QStackedWidget(this);
    auto *generalPage = new QWidget(m_pages);
    auto *colorsPage = new QWidget(m_pages);
    m_pages->addWidget(generalPage);
    m_pages->addWidget(colorsPage);
    auto *general = new QGridLayout(generalPage);
    general->setContentsMargins(0, 0, 0, 0);
    general->addWidget(m_frames[0], 0, 0);
    general->addWidget(m_frames[1], 1, 0);
    general->addWidget(m_frames[3], 2, 0);
    general->addWidget(m_frames[2], 0, 1, 3, 1);
    general->setColumnStretch(0, 1);
    general->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    general->setRowStretch(3, 1);
    auto *colors = new QVBoxLayout(colorsPage);
    colors->setContentsMargins(0, 0, 0, 0);
    colors->addWidget(m_frames[4]);
    colors->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    connect(m_tabs, &QTabBar::currentChanged, this, &OptionsWindow::showTab);
    showTab(General);
    fillFromRecord();
}

void OptionsWindow::buildGeneralFrames()
{
    m_frames[0] = frame("Frame1", "Double click", this);
    auto *label1 = named(
        new QLabel(QStringLiteral("When I double click on listed file:"), m_frames[0]), "Label1");
    m_openFile = named(new QRadioButton(QStringLiteral("Open file"), m_frames[0]), "optOpenFile");
    m_openLocation = named(new QRadioButton(QStringLiteral("Open file location"), m_frames[0]),
                           "optOpenLocation");
    auto *f1 = new QVBoxLayout(m_frames[0]);
    f1->addWidget(label1);
    f1->addWidget(m_openFile);
    f1->addWidget(m_openLocation);

    m_frames[1] = frame("Frame2", "Tip of the day", this);
    m_tips = named(new QCheckBox(QStringLiteral("Show Tips when Orlith starts"), m_frames[1]),
                   "chkToolTips");
    (new QVBoxLayout(m_frames[1]))->addWidget(m_tips);

    m_frames[3] = frame("Frame4", "After CD/DVD file importing", this);
    m_eject = named(
        new QCheckBox(QStringLiteral("Eject CD/DVD after file importing is finished"), m_frames[3]),
        "chkEjectCD");
    (new QVBoxLayout(m_frames[3]))->addWidget(m_eject);

    QGroupBox *archive = m_frames[2] = frame("Frame3", "Scheduled archive", this);
    m_update =
        named(new QCheckBox(QStringLiteral("Turn on scheduled archive"), archive), "chkUpdate");
    m_today1 = named(new QLabel(QStringLiteral("Today is "), archive), "lblToday");
    m_datum = named(new QLabel(archive), "lblDatum");
    m_every = named(new QLabel(QStringLiteral("Every"), archive), "Label2");
    m_days = named(new QLineEdit(archive), "txtDays");
    m_days->setReadOnly(true);
    m_days->setAlignment(Qt::AlignRight);
    m_days->setFixedWidth(m_days->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    m_days->installEventFilter(this);
    m_daysUnit = named(new QLabel(QStringLiteral("days."), archive), "Label3");
    m_up = named(new QPushButton(archive), "cmdUp");
    m_down = named(new QPushButton(archive), "cmdDown");
    m_up->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    m_down->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    for (QPushButton *b : {m_up, m_down})
        b->setFixedWidth(b->sizeHint().height() + 4);
    m_future = named(new QLabel(QStringLiteral("You will be prompt "), archive), "lblFuture");
    m_archiveDate = named(new QLabel(archive), "lblArchiveDate");

    auto *todayRow = new QHBoxLayout;
    todayRow->addWidget(m_today1);
    todayRow->addWidget(m_datum);
    todayRow->addStretch(1);
    auto *daysRow = new QHBoxLayout;
    daysRow->addWidget(m_every);
    daysRow->addWidget(m_days);
    daysRow->addWidget(m_daysUnit);
    daysRow->addWidget(m_up);
    daysRow->addWidget(m_down);
    daysRow->addStretch(1);
    auto *futureRow = new QHBoxLayout;
    futureRow->addWidget(m_future);
    futureRow->addWidget(m_archiveDate);
    futureRow->addStretch(1);
    auto *f3 = new QVBoxLayout(archive);
    f3->addWidget(m_update);
    f3->addLayout(todayRow);
    f3->addLayout(daysRow);
    f3->addLayout(futureRow);
    f3->addStretch(1);

    connect(m_update, &QCheckBox::clicked, this, &OptionsWindow::chkUpdateClicked);
    connect(m_up, &QPushButton::clicked, this, [this] { stepDays(/*up=*/true); });
    connect(m_down, &QPushButton::clicked, this, [this] { stepDays(/*up=*/false); });
}

void OptionsWindow::buildColorFrame()
{
    m_frames[4] = frame("Frame5", "Edit colors", this);
    m_colors = named(new QListWidget(m_frames[4]), "lstColors");
    m_colors->setSelectionMode(QAbstractItemView::SingleSelection);
    m_colors->setFixedWidth(
        m_colors->fontMetrics().horizontalAdvance(QStringLiteral("Executable")) + 40);

    m_frames[5] = frame("Frame6", "Colors", m_frames[4]);
    auto *grid = new QGridLayout(m_frames[5]);
    grid->setSpacing(4);
    for (int row = 0; row < kSwatchRows; ++row) {
        for (int column = 0; column < kSwatchColumns; ++column) {
            const int index = swatchAt(row, column);
            auto *swatch =
                new ColorSwatch(colorFromText(swatchColorText(index), palette()), m_frames[5]);
            swatch->setObjectName(QStringLiteral("Picture1"));
            swatch->setProperty("index", index);
            connect(swatch, &QAbstractButton::clicked, this,
                    [this, index] { swatchClicked(index); });
            m_swatches[size_t(index)] = swatch;
            grid->addWidget(swatch, row, column);
        }
    }

    auto *label4 =
        named(new QLabel(QStringLiteral("First click on file type then click on color to "
                                        "change it. Click Apply to save changes. "),
                         m_frames[4]),
              "Label4");
    label4->setWordWrap(true);

    m_frames[6] = frame("Frame7", "Other", m_frames[4]);
    auto *byDefault = named(new QPushButton(QStringLiteral("Default"), m_frames[6]), "cmdDefault");
    auto *allBlack =
        named(new QPushButton(QStringLiteral("No colors"), m_frames[6]), "cmdAllBlack");
    auto *f7 = new QVBoxLayout(m_frames[6]);
    f7->addWidget(byDefault);
    f7->addWidget(allBlack);
    connect(byDefault, &QPushButton::clicked, this,
            [this] { setAllRowColors(defaultCategoryColors()); });
    connect(allBlack, &QPushButton::clicked, this,
            [this] { setAllRowColors(blackCategoryColors()); });

    auto *right = new QVBoxLayout;
    auto *palettes = new QHBoxLayout;
    palettes->addWidget(m_frames[5]);
    palettes->addWidget(m_frames[6], 0, Qt::AlignTop);
    palettes->addStretch(1);
    right->addLayout(palettes);
    right->addWidget(label4);
    right->addStretch(1);
    auto *f5 = new QHBoxLayout(m_frames[4]);
    f5->addWidget(m_colors);
    f5->addLayout(right, 1);
}

void OptionsWindow::fillFromRecord()
{
    m_datum->setText(formatDate(m_today));
    m_openFile->setChecked(m_record.opensFile());
    m_openLocation->setChecked(m_record.opensLocation());
    m_tips->setChecked(m_record.tipsAtStart());
    m_days->setText(shownArchiveDays(m_record.archiveDaysSetting));
    m_update->setChecked(m_record.archiveReminder());
    setArchiveControlsEnabled(m_update->isChecked());
    // The stored day is shown, not one counted from today.
    m_archiveDate->setText(m_record.archiveDateSetting);
    m_eject->setChecked(m_record.ejectAfterImport());

    for (int i = 0; i < kCategoryCount; ++i) {
        m_colors->addItem(categoryName(i));
        setRowColor(i, m_record.categoryColorSettings[size_t(i)]);
    }
}

void OptionsWindow::showTab(int tab)
{
    m_pages->setCurrentIndex(tab == Colors ? Colors : General);
}

void OptionsWindow::setArchiveControlsEnabled(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_daysUnit, m_today1, m_future, m_datum,
                                                       m_archiveDate, m_days, m_up, m_down})
        w->setEnabled(enabled);
}

void OptionsWindow::chkUpdateClicked()
{
    setArchiveControlsEnabled(m_update->isChecked());
    m_archiveDate->setText(nextArchiveDateText(m_days->text(), m_today));
}

void OptionsWindow::stepDays(bool up)
{
    if (const std::optional<int> days = steppedArchiveDays(m_days->text(), up)) {
        m_days->setText(QString::number(*days));
        m_ok->setFocus();
    }
    m_archiveDate->setText(nextArchiveDateText(m_days->text(), m_today));
}

bool OptionsWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The day count changes only through the buttons.
    if (watched == m_days && event->type() == QEvent::FocusIn)
        m_up->setFocus();
    return QDialog::eventFilter(watched, event);
}

void OptionsWindow::setRowColor(int row, const QString &colorText)
{
    QListWidgetItem *item = m_colors->item(row);
    item->setData(kColorTextRole, colorText);
    item->setForeground(colorFromText(colorText, palette()));
}

void OptionsWindow::setAllRowColors(const std::array<QString, kCategoryCount> &colors)
{
    for (int i = 0; i < kCategoryCount; ++i)
        setRowColor(i, colors[size_t(i)]);
}

QString OptionsWindow::rowColorText(int row) const
{
    return m_colors->item(row)->data(kColorTextRole).toString();
}

void OptionsWindow::swatchClicked(int index)
{
    const QList<QListWidgetItem *> selected = m_colors->selectedItems();
    if (!selected.isEmpty())
        setRowColor(m_colors->row(selected.first()), swatchColorText(index));
}

void OptionsWindow::apply()
{
    m_record.setOpensFile(m_openFile->isChecked());
    m_record.setOpensLocation(m_openLocation->isChecked());
    m_record.setTipsAtStart(m_tips->isChecked());
    m_record.setArchiveReminder(m_update->isChecked());
    m_record.setEjectAfterImport(m_eject->isChecked());
    m_record.archiveDateSetting = m_archiveDate->text();
    m_record.archiveDaysSetting = m_days->text();
    for (int i = 0; i < kCategoryCount; ++i)
        m_record.categoryColorSettings[size_t(i)] = rowColorText(i);
    accept();
}

} // namespace orlith
