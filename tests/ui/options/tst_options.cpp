// Orlith — desktop catalogue of removable media.
#include "core/settings/archive_reminder.h"
#include "ui/options/options_window.h"
#include "core/settings/statistics.h"
#include "ui/options/stats_window.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/main/form1_window.h"
#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "support/recording_services.h"
#include "support/test_files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>


using namespace orlith;

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void reminderFiresOnceAtStart();
    void optionsWindowAndDayCount();
    void colorsApplyAndCancel();
    void applyRecoloursTheListOnNextColouring();
    void figuresOfAStore();
    void sizeTexts_data();
    void sizeTexts();
    void statisticsWindowStatusAndCli();

private:
    std::unique_ptr<Form1> openForm()
    {
        auto form = std::make_unique<Form1>(m_dir->path(), UiServices{&m_messages, &m_desktop});
        form->show();
        return form;
    }
    template <typename W>
    static W *child(QWidget &w, const char *name)
    {
        W *c = w.findChild<W *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }

    void disc(const QString &name, const QString &catalog, const QList<qint64> &sizes)
    {
        QList<FileEntry> entries;
        for (qint64 s : sizes)
            entries.append({QStringLiteral("f%1.bin").arg(s), QStringLiteral("/m/f%1.bin").arg(s), s,
                            QStringLiteral("1.1.2004 10:00:00")});
        QVERIFY(writeDiscFile(discFilePath(m_dir->path(), name), catalog, entries).ok());
    }
    StoreStatistics compute(CatalogueIndex index = {})
    {
        if (index.catalogCount() == 0)
            index.load(m_dir->path());
        NotesStore notes;
        (void)notes.OpenNotesStore(notesStorePath(m_dir->path()));
        return computeStatistics(m_dir->path(), index, notes);
    }
    QStringList shown(const StoreStatistics &s)
    {
        QStringList lines;
        for (const StatisticsField &f : statisticsFields(s))
            lines << f.caption + QLatin1Char(' ') + f.value;
        return lines;
    }

    const QDate m_today{2024, 3, 14};
    std::unique_ptr<QTemporaryDir> m_dir;
    test::RecordingMessages m_messages;
    test::FakeDesktop m_desktop;
};

void TestOptions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(ensureStoreFolders(m_dir->path()).ok());
    m_messages.boxes.clear();
}

void TestOptions::reminderFiresOnceAtStart()
{
    SettingsRecord r;
    r.archiveReminderSetting = QStringLiteral("1");
    const auto dueOn = [&](const QString &date) {
        r.archiveDateSetting = date;
        return isArchiveDay(r, m_today);
    };
    QVERIFY(dueOn(formatDate(m_today)) && dueOn(formatDate(m_today.addDays(-9))));
    QVERIFY(!dueOn(formatDate(m_today.addDays(1))) && !dueOn("soon") && !dueOn(QString()));
    r.archiveReminderSetting = QStringLiteral("0");
    QVERIFY(!dueOn(formatDate(m_today)));

    const QDate today = QDate::currentDate();
    SettingsRecord stored;
    stored.archiveReminderSetting = QStringLiteral("1");
    stored.archiveDateSetting = formatDate(today.addDays(-5));
    stored.archiveDaysSetting = QStringLiteral("7");
    QVERIFY(SaveSettings(settingsPath(m_dir->path()), stored).ok());

    auto form = openForm();
    QVERIFY(m_messages.boxes.isEmpty()); // not before Timer4
    m_messages.answers = {MessageSink::Answer::No};
    form->runStartupReminders();
    QCOMPARE(m_messages.texts(),
             QStringList({"Today is your ARCHIVE DAY.\nWould you like to archive your files now?",
                          "You will be prompted again after 7 days for archive."}));
    QCOMPARE(m_messages.boxes[0].title + m_messages.boxes[1].title,
             QStringLiteral("Scheduled ArchiveInformation"));
    QVERIFY(m_messages.boxes[0].icon == MessageSink::Icon::Information &&
            m_messages.boxes[0].buttons == MessageSink::Buttons::YesNo);
    // Counted from today, not from the day it was due.
    QCOMPARE(form->settings().archiveDateSetting, formatDate(today.addDays(7)));
    form->runStartupReminders();
    QCOMPARE(m_messages.boxes.size(), 2);
}

void TestOptions::optionsWindowAndDayCount()
{
    SettingsRecord r;
    r.openLocationSetting = QStringLiteral("True");
    r.tipsAtStartSetting = QStringLiteral("1");
    r.archiveReminderSetting = QStringLiteral("1");
    r.archiveDateSetting = QStringLiteral("stored day");
    r.archiveDaysSetting = QStringLiteral("99");
    frmOptions w(r, m_today);
    w.show();
    auto *days = child<QLineEdit>(w, "txtDays");
    auto *date = child<QLabel>(w, "lblArchiveDate");
    auto *up = child<QAbstractButton>(w, "cmdUp");
    auto *update = child<QCheckBox>(w, "chkUpdate");
    QVERIFY(!child<QRadioButton>(w, "optOpenFile")->isChecked());
    QVERIFY(child<QRadioButton>(w, "optOpenLocation")->isChecked());
    QVERIFY(child<QCheckBox>(w, "chkToolTips")->isChecked());
    QCOMPARE(child<QLabel>(w, "lblDatum")->text(), formatDate(m_today));
    QCOMPARE(date->text(), QStringLiteral("stored day"));
    QCOMPARE(w.findChildren<QAbstractButton *>(QStringLiteral("Picture1")).size(), kSwatchCount);
    QVERIFY(child<QWidget>(w, "Frame3")->isVisible() && !child<QWidget>(w, "Frame5")->isVisible());
    child<QTabBar>(w, "OptionTab")->setCurrentIndex(1);
    QVERIFY(!child<QWidget>(w, "Frame3")->isVisible() && child<QWidget>(w, "Frame5")->isVisible());

    // 99 cannot go up and 1 cannot go down; each press counts the day from today.
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(days->text(), QStringLiteral("99"));
    QCOMPARE(date->text(), formatDate(m_today.addDays(99)));
    days->setText(QStringLiteral("2"));
    QTest::mouseClick(child<QAbstractButton>(w, "cmdDown"), Qt::LeftButton);
    QTest::mouseClick(child<QAbstractButton>(w, "cmdDown"), Qt::LeftButton);
    QCOMPARE(days->text(), QStringLiteral("1"));
    // Unticking also moves the day.
    days->setText(QStringLiteral("5"));
    QTest::mouseClick(update, Qt::LeftButton);
    QVERIFY(!up->isEnabled());
    QCOMPARE(date->text(), formatDate(m_today.addDays(5)));
    QTest::mouseClick(child<QAbstractButton>(w, "cmdOK"), Qt::LeftButton);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(r.archiveReminderSetting + r.archiveDaysSetting + r.openFileSetting,
             QStringLiteral("05False"));
    QCOMPARE(r.archiveDateSetting, formatDate(m_today.addDays(5)));

    SettingsRecord fresh;
    frmOptions empty(fresh, m_today);
    QCOMPARE(child<QLineEdit>(empty, "txtDays")->text(), QString::number(kDefaultArchiveDays));
}

void TestOptions::colorsApplyAndCancel()
{
    SettingsRecord r;
    r.categoryColorSettings = blackCategoryColors();
    const SettingsRecord before = r;
    {
        frmOptions w(r, m_today);
        QTest::mouseClick(child<QAbstractButton>(w, "cmdDefault"), Qt::LeftButton);
        QTest::mouseClick(child<QAbstractButton>(w, "cmdCancel"), Qt::LeftButton);
    }
    QCOMPARE(r, before);

    frmOptions w(r, m_today);
    QTest::mouseClick(w.swatch(5), Qt::LeftButton); // no row chosen: nothing changes
    QCOMPARE(w.rowColorText(0), QStringLiteral("0"));
    QTest::mouseClick(child<QAbstractButton>(w, "cmdDefault"), Qt::LeftButton);
    child<QListWidget>(w, "lstColors")->setCurrentRow(4);
    QTest::mouseClick(w.swatch(18), Qt::LeftButton);
    QTest::mouseClick(child<QAbstractButton>(w, "optOpenFile"), Qt::LeftButton);
    QTest::mouseClick(child<QAbstractButton>(w, "cmdOK"), Qt::LeftButton);
    QCOMPARE(r.openFileSetting, QStringLiteral("True"));
    QCOMPARE(r.openLocationSetting, QStringLiteral("False"));
    QCOMPARE(r.categoryColorSettings,
             (std::array<QString, kCategoryCount>{"32896", "16711680", "32768", "192",
                                                  "8388736", "255", "-2147483627"}));
}

void TestOptions::applyRecoloursTheListOnNextColouring()
{
    QVERIFY(writeDiscFile(discFilePath(m_dir->path(), QStringLiteral("Rock")), QStringLiteral("Music"),
                          {{QStringLiteral("a.mp3"), QStringLiteral("/m/a.mp3"), 1, QStringLiteral("d")}})
                .ok());
    auto form = openForm();
    // A first start has no colours: it takes the default set.
    QCOMPARE(form->settings().categoryColorSettings, defaultCategoryColors());
    form->tree().selectNode(QStringLiteral("Rock"));
    form->ListDiscFiles();
    QCOMPARE(form->listModel().rowColor(0), QColor(192, 192, 0));

    QTimer::singleShot(0, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *o = qobject_cast<frmOptions *>(w); o && o->isVisible()) {
                QTest::mouseClick(child<QAbstractButton>(*o, "cmdAllBlack"), Qt::LeftButton);
                QTest::mouseClick(child<QAbstractButton>(*o, "cmdOK"), Qt::LeftButton);
            }
    });
    form->findChild<QAction *>(QStringLiteral("mnuOptions"))->trigger();
    QCOMPARE(form->settings().categoryColorSettings, blackCategoryColors());
    QCOMPARE(form->extensionTable().ColorForPath(QStringLiteral("/m/a.mp3")), QStringLiteral("0"));
    QCOMPARE(form->listModel().rowColor(0), QColor(192, 192, 0));
    form->ColorList();
    QCOMPARE(form->listModel().rowColor(0), QColor(Qt::black));
    QVERIFY(m_messages.boxes.isEmpty());
}

void TestOptions::figuresOfAStore()
{
    QCOMPARE(shown(compute()).last(), QStringLiteral("Smallest file size: (no files)"));
    disc(QStringLiteral("Rock"), QStringLiteral("Music"), {5, 3 * 1048576, 2048});
    disc(QStringLiteral("Jazz"), QStringLiteral("Music"), {1048576});
    disc(QStringLiteral("Empty"), QStringLiteral("Films"), {});
    // Written by hand: size lines padded with blanks, a name line with more on it, and a size
    // line too short to hold a value.
    QVERIFY(test::writeAll(discFilePath(m_dir->path(), QStringLiteral("Odd")),
                           "<cd-dvd>\r\n<catalog>Films</catalog>\r\n"
                           "x <file_name>a</file_name>\r\n   <file_size>  700 </file_size>   \r\n"
                           "<file_name>b</file_name>\r\n<file_size>\r\n</cd-dvd>\r\n"));
    QVERIFY(test::writeAll(picturePath(m_dir->path(), QStringLiteral("Rock")), "jpeg"));
    QVERIFY(test::writeAll(picturePath(m_dir->path(), QStringLiteral("Odd")), "jpeg"));
    {
        NotesStore notes;
        QVERIFY(notes.OpenNotesStore(notesStorePath(m_dir->path())));
        notes.setRecord(QStringLiteral("Jazz"), QStringLiteral("lent to Ana"));
        QVERIFY(notes.AppendNotesRecord());
        notes.setRecord(QStringLiteral("Gone"), QStringLiteral("no such disc"));
        QVERIFY(notes.AppendNotesRecord());
    }

    const StoreStatistics s = compute();
    QVERIFY(s.unreadable.isEmpty());
    QCOMPARE(shown(s), QStringList({
        "Number of catalogs: 2", "Number of CDs/DVDs: 4", "Number of attached pictures: 2",
        "Number of personal notes: 1", "Total number of files: 6",
        "Total usage: 4 MB   (0 GB)", "Largest file size: 3 MB", "Smallest file size: 5 B",
    }));

    // A disc file gone behind the program's back is left out and named.
    CatalogueIndex index;
    index.load(m_dir->path());
    QFile::remove(discFilePath(m_dir->path(), QStringLiteral("Rock")));
    const StoreStatistics without = compute(index);
    QCOMPARE(without.unreadable, QStringList{QStringLiteral("Rock")});
    QCOMPARE(without.files, 3);
}

void TestOptions::sizeTexts_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("smallest");
    QTest::addColumn<QString>("largest");
    QTest::newRow("empty file") << qint64(0) << "0 B" << "0 MB";
    QTest::newRow("5 bytes") << qint64(5) << "5 B" << "0 MB";
    QTest::newRow("below 0.01 KB") << qint64(10) << "10 B" << "0 MB";
    QTest::newRow("0.01 KB") << qint64(11) << "0.01 KB" << "0 MB";
    QTest::newRow("below 0.01 MB") << qint64(10485) << "10.24 KB" << "0.01 MB";
    QTest::newRow("0.01 MB") << qint64(10486) << "0.01 MB" << "0.01 MB";
    QTest::newRow("1.5 MB") << qint64(1572864) << "1.5 MB" << "1.5 MB";
    QTest::newRow("over 2 GiB") << qint64(3) * 1073741824 << "3072 MB" << "3072 MB";
}

void TestOptions::sizeTexts()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, smallest);
    QFETCH(QString, largest);
    QCOMPARE(smallestSizeText(bytes), smallest);
    QCOMPARE(largestSizeText(bytes), largest);
    QCOMPARE(totalSizeText(qint64(1536) * 1048576), QStringLiteral("1536 MB   (1.5 GB)"));
    QCOMPARE(statisticsNumber(12.3), QStringLiteral("12.3"));
    QCOMPARE(statisticsNumber(-0.001), QStringLiteral("0"));
}

void TestOptions::statisticsWindowStatusAndCli()
{
    disc(QStringLiteral("Rock"), QStringLiteral("Music"), {0, 1048576});
    auto form = openForm();

    QStringList windowLines;
    QString statusWhileOpen;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *stats = qobject_cast<frmStats *>(w);
            if (!stats || !stats->isVisible())
                continue;
            for (const StatisticsField &f : statisticsFields(StoreStatistics()))
                windowLines << stats->findChild<QLabel *>(f.captionName)->text() + QLatin1Char(' ')
                        + stats->findChild<QLabel *>(f.valueName)->text();
            statusWhileOpen = form->statusText();
            stats->accept();
        }
    });
    form->findChild<QAction *>(QStringLiteral("mnuStatistics"))->trigger();
    QCOMPARE(statusWhileOpen, QStringLiteral("Ready"));
    QCOMPARE(windowLines.last(), QStringLiteral("Smallest file size: 0 B"));

    QProcess cli;
    cli.start(QStringLiteral(ORLITH_CLI), {"--data-dir", m_dir->path(), "stats"});
    QVERIFY(cli.waitForFinished(10000));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
             windowLines);
    QVERIFY(m_messages.boxes.isEmpty());
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
