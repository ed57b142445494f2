// Orlith — desktop catalogue of removable media.
#include "core/settings/archive_reminder.h"
#include "core/settings/statistics.h"
#include "core/store/date_text.h"
#include "support/window_fixture.h"
#include "ui/options/options_window.h"
#include "ui/options/stats_window.h"

using namespace orlith;

namespace {

template <typename W = QAbstractButton>
W *child(QWidget &w, const char *name)
{
    W *c = w.findChild<W *>(QString::fromLatin1(name));
    return c ? c : (qFatal("no control %s", name), nullptr);
}

void click(QWidget &w, const char *name) { QTest::mouseClick(child(w, name), Qt::LeftButton); }

QStringList shown(const StoreStatistics &s)
{
    QStringList lines;
    for (const StatisticsField &f : statisticsFields(s))
        lines << f.caption + ' ' + f.value;
    return lines;
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

    const QDate m_today{2024, 3, 14};
    test::WindowFixture m_f;

    void disc(const QString &name, const QString &catalog, const QList<qint64> &sizes)
    {
        QList<FileEntry> entries;
        for (qint64 s : sizes)
            entries.append({QString("f%1.bin").arg(s), QString("/m/f%1.bin").arg(s), s, "1.1.2004"});
        m_f.writeDisc(name, catalog, entries);
    }
    StoreStatistics compute(CatalogueIndex index = {})
    {
        if (index.catalogCount() == 0)
            index.load(m_f.root());
        NotesStore notes;
        (void)notes.OpenNotesStore(notesStorePath(m_f.root()));
        return computeStatistics(m_f.root(), index, notes);
    }

private slots:
    void init() { m_f.reset(); }

    void reminderFiresOnceAtStart()
    {
        SettingsRecord r;
        r.archiveReminderSetting = "1";
        const auto dueOn = [&](const QString &date) {
            r.archiveDateSetting = date;
            return isArchiveDay(r, m_today);
        };
        QVERIFY(dueOn(formatDate(m_today)) && dueOn(formatDate(m_today.addDays(-9))));
        QVERIFY(!dueOn(formatDate(m_today.addDays(1))) && !dueOn("soon") && !dueOn(QString()));
        r.archiveReminderSetting = "0";
        QVERIFY(!dueOn(formatDate(m_today)));
        const QDate today = QDate::currentDate();
        r.archiveReminderSetting = "1";
        r.archiveDateSetting = formatDate(today.addDays(-5));
        r.archiveDaysSetting = "7";
        QVERIFY(SaveSettings(settingsPath(m_f.root()), r).ok());
        auto form = m_f.open();
        QVERIFY(m_f.messages.boxes.isEmpty()); // not before Timer4
        m_f.messages.answers = {MessageSink::Answer::No};
        form->runStartupReminders();
        QCOMPARE(m_f.messages.texts(),
                 QStringList({"Today is your ARCHIVE DAY.\nWould you like to archive your files now?",
                              "You will be prompted again after 7 days for archive."}));
        QCOMPARE(m_f.messages.boxes[0].title + m_f.messages.boxes[1].title,
                 "Scheduled ArchiveInformation");
        QVERIFY(m_f.messages.boxes[0].icon == MessageSink::Icon::Information &&
                m_f.messages.boxes[0].buttons == MessageSink::Buttons::YesNo);
        // Counted from today, not from the day it was due.
        QCOMPARE(form->settings().archiveDateSetting, formatDate(today.addDays(7)));
        form->runStartupReminders();
        QCOMPARE(m_f.messages.boxes.size(), 2);
    }

    void optionsWindowAndDayCount()
    {
        SettingsRecord r;
        r.openLocationSetting = "True";
        r.tipsAtStartSetting = r.archiveReminderSetting = "1";
        r.archiveDateSetting = "stored day";
        r.archiveDaysSetting = "99";
        frmOptions w(r, m_today);
        w.show();
        auto *days = child<QLineEdit>(w, "txtDays");
        auto *date = child<QLabel>(w, "lblArchiveDate");
        QVERIFY(!child(w, "optOpenFile")->isChecked() && child(w, "optOpenLocation")->isChecked());
        QVERIFY(child(w, "chkToolTips")->isChecked());
        QCOMPARE(child<QLabel>(w, "lblDatum")->text() + ' ' + date->text(),
                 formatDate(m_today) + " stored day");
        // 99 cannot go up and 1 cannot go down; each press counts the day from today.
        click(w, "cmdUp");
        QCOMPARE(days->text() + ' ' + date->text(), "99 " + formatDate(m_today.addDays(99)));
        days->setText("2");
        click(w, "cmdDown");
        click(w, "cmdDown");
        QCOMPARE(days->text(), "1");
        days->setText("5"); // unticking also moves the day
        click(w, "chkUpdate");
        QVERIFY(!child(w, "cmdUp")->isEnabled());
        QCOMPARE(date->text(), formatDate(m_today.addDays(5)));
        click(w, "cmdOK");
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(r.archiveReminderSetting + r.archiveDaysSetting + r.openFileSetting, "05False");
        QCOMPARE(r.archiveDateSetting, formatDate(m_today.addDays(5)));
        SettingsRecord fresh;
        frmOptions empty(fresh, m_today);
        QCOMPARE(child<QLineEdit>(empty, "txtDays")->text(), QString::number(kDefaultArchiveDays));
    }

    void colorsApplyAndCancel()
    {
        SettingsRecord r;
        r.categoryColorSettings = blackCategoryColors();
        const SettingsRecord before = r;
        {
            frmOptions w(r, m_today);
            click(w, "cmdDefault");
            click(w, "cmdCancel");
        }
        QCOMPARE(r, before);
        frmOptions w(r, m_today);
        QTest::mouseClick(w.swatch(5), Qt::LeftButton); // no row chosen: nothing changes
        QCOMPARE(w.rowColorText(0), "0");
        click(w, "cmdDefault");
        child<QListWidget>(w, "lstColors")->setCurrentRow(4);
        QTest::mouseClick(w.swatch(18), Qt::LeftButton);
        click(w, "optOpenFile");
        click(w, "cmdOK");
        QCOMPARE(r.openFileSetting + r.openLocationSetting, "TrueFalse");
        QCOMPARE(r.categoryColorSettings,
                 (std::array<QString, kCategoryCount>{"32896", "16711680", "32768", "192",
                                                      "8388736", "255", "-2147483627"}));
    }

    // New colours reach the list at its next colouring, not at once.
    void applyRecoloursTheListOnNextColouring()
    {
        m_f.writeDisc("Rock", "Music", {{"a.mp3", "/m/a.mp3", 1, "d"}});
        auto form = m_f.open();
        // A first start has no colours: it takes the default set.
        QCOMPARE(form->settings().categoryColorSettings, defaultCategoryColors());
        form->tree().selectNode("Rock");
        form->ListDiscFiles();
        QCOMPARE(form->listModel().rowColor(0), QColor(192, 192, 0));
        test::onNextDialog<frmOptions>([](frmOptions *o) {
            click(*o, "cmdAllBlack");
            click(*o, "cmdOK");
        });
        test::action(*form, "mnuOptions")->trigger();
        QCOMPARE(form->settings().categoryColorSettings, blackCategoryColors());
        QCOMPARE(form->extensionTable().ColorForPath("/m/a.mp3"), "0");
        QCOMPARE(form->listModel().rowColor(0), QColor(192, 192, 0));
        form->ColorList();
        QCOMPARE(form->listModel().rowColor(0), QColor(Qt::black));
        QVERIFY(m_f.messages.boxes.isEmpty());
    }

    void figuresOfAStore()
    {
        QCOMPARE(shown(compute()).last(), "Smallest file size: (no files)");
        disc("Rock", "Music", {5, 3 * 1048576, 2048});
        disc("Jazz", "Music", {1048576});
        disc("Empty", "Films", {});
        // Written by hand: size lines padded with blanks, a name line with more on it, and a
        // size line too short to hold a value.
        QVERIFY(test::writeAll(discFilePath(m_f.root(), "Odd"),
                               "<cd-dvd>\r\n<catalog>Films</catalog>\r\nx <file_name>a</file_name>"
                               "\r\n   <file_size>  700 </file_size>   \r\n"
                               "<file_name>b</file_name>\r\n<file_size>\r\n</cd-dvd>\r\n"));
        QVERIFY(test::writeAll(picturePath(m_f.root(), "Rock"), "jpeg"));
        QVERIFY(test::writeAll(picturePath(m_f.root(), "Odd"), "jpeg"));
        {
            NotesStore notes;
            QVERIFY(notes.OpenNotesStore(notesStorePath(m_f.root())));
            notes.setRecord("Jazz", "lent to Ana");
            QVERIFY(notes.AppendNotesRecord());
            notes.setRecord("Gone", "no such disc");
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
        index.load(m_f.root());
        QFile::remove(discFilePath(m_f.root(), "Rock"));
        const StoreStatistics without = compute(index);
        QCOMPARE(without.unreadable, QStringList{"Rock"});
        QCOMPARE(without.files, 3);
    }

    void sizeTexts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("texts"); // smallest | largest
        QTest::newRow("empty file") << qint64(0) << "0 B|0 MB";
        QTest::newRow("5 bytes") << qint64(5) << "5 B|0 MB";
        QTest::newRow("below 0.01 KB") << qint64(10) << "10 B|0 MB";
        QTest::newRow("0.01 KB") << qint64(11) << "0.01 KB|0 MB";
        QTest::newRow("below 0.01 MB") << qint64(10485) << "10.24 KB|0.01 MB";
        QTest::newRow("0.01 MB") << qint64(10486) << "0.01 MB|0.01 MB";
        QTest::newRow("1.5 MB") << qint64(1572864) << "1.5 MB|1.5 MB";
        QTest::newRow("over 2 GiB") << qint64(3) * 1073741824 << "3072 MB|3072 MB";
    }
    void sizeTexts()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, texts);
        QCOMPARE(smallestSizeText(bytes) + '|' + largestSizeText(bytes), texts);
        QCOMPARE(totalSizeText(qint64(1536) * 1048576), "1536 MB   (1.5 GB)");
        QCOMPARE(statisticsNumber(12.3) + ' ' + statisticsNumber(-0.001), "12.3 0");
    }

    // The window shows what `orlith-cli stats` prints, line for line.
    void statisticsWindowStatusAndCli()
    {
        disc("Rock", "Music", {0, 1048576});
        auto form = m_f.open();
        QStringList lines;
        QString statusWhileOpen;
        test::onNextDialog<frmStats>([&](frmStats *stats) {
            for (const StatisticsField &f : statisticsFields(StoreStatistics()))
                lines << stats->findChild<QLabel *>(f.captionName)->text() + ' ' +
                             stats->findChild<QLabel *>(f.valueName)->text();
            statusWhileOpen = form->statusText();
            stats->accept();
        });
        test::action(*form, "mnuStatistics")->trigger();
        QCOMPARE(statusWhileOpen, "Ready");
        QCOMPARE(lines.last(), "Smallest file size: 0 B");
        QString cli;
        QCOMPARE(m_f.cli({"stats"}, &cli), 0);
        QCOMPARE(cli.split('\n', Qt::SkipEmptyParts), lines);
        QVERIFY(m_f.messages.boxes.isEmpty());
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
