// Orlith — desktop catalogue of removable media.
#include "core/search/statistics.h"
#include "core/settings/archive_reminder.h"
#include "core/store/date_text.h"
#include "support/window_fixture.h"
#include "ui/options/about_dialog.h"
#include "ui/options/options_window.h"
#include "ui/options/stats_window.h"
#include "ui/options/tip_dialog.h"
#include "ui/options/tips.h"

using namespace orlith;

namespace {

using test::child;

void click(QWidget &w, const char *name)
{
    QTest::mouseClick(child(w, name), Qt::LeftButton);
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

    const QDate m_today{2024, 3, 14};
    test::WindowFixture m_f;

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
        QVERIFY(!dueOn(formatDate(m_today.addDays(1))) && !dueOn("soon"));
        r.archiveReminderSetting = "0";
        QVERIFY(!dueOn(formatDate(m_today)));
        const QDate today = QDate::currentDate();
        r.archiveReminderSetting = "1";
        r.archiveDateSetting = formatDate(today.addDays(-5));
        r.archiveDaysSetting = "7";
        QVERIFY(saveSettings(settingsPath(m_f.root()), r).ok());
        auto form = m_f.open();
        m_f.messages.answers = {MessageSink::Answer::No};
        form->runStartupReminders();
        QCOMPARE(
            m_f.messages.texts(),
            QStringList({"Today is your ARCHIVE DAY.\nWould you like to archive your files now?",
                         "You will be prompted again after 7 days for archive."}));
        QCOMPARE(m_f.messages.boxes[0].title + m_f.messages.boxes[1].title,
                 "Scheduled ArchiveInformation");
        // Counted from today, not from the day it was due.
        QCOMPARE(form->settings().archiveDateSetting, formatDate(today.addDays(7)));
        form->runStartupReminders();
        QCOMPARE(m_f.messages.boxes.size(), 2);
    }

    void optionsWindow()
    {
        SettingsRecord r;
        r.openLocationSetting = "True";
        r.tipsAtStartSetting = r.archiveReminderSetting = "1";
        r.archiveDateSetting = "stored day";
        r.archiveDaysSetting = "99";
        r.categoryColorSettings = blackCategoryColors();
        const SettingsRecord before = r;
        OptionsWindow cancelled(r, m_today);
        click(cancelled, "cmdDefault");
        click(cancelled, "cmdCancel");
        QCOMPARE(r, before);
        OptionsWindow w(r, m_today);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The tabs share one size: switching never moves Apply and Cancel.
        const auto place = [&w](int tab) {
            child<QTabBar>(w, "OptionTab")->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            return QRect(child(w, "cmdCancel")->mapTo(&w, QPoint()), w.size());
        };
        const QRect general = place(0);
        QCOMPARE(place(1), general);
        QVERIFY(child<QGroupBox>(w, "Frame5")->isVisible() && !child(w, "chkEjectCD")->isVisible());
        QCOMPARE(place(0), general);
        auto *days = child<QLineEdit>(w, "txtDays");
        auto *date = child<QLabel>(w, "lblArchiveDate");
        child(w, "optOpenFile")->click(); // its centre may lie past its text once laid out
        QCOMPARE(child<QLabel>(w, "lblDatum")->text() + ' ' + date->text(),
                 formatDate(m_today) + " stored day");
        // 99 cannot go up and 1 cannot go down; a press counts the day from today.
        click(w, "cmdUp");
        QCOMPARE(days->text() + ' ' + date->text(), "99 " + formatDate(m_today.addDays(99)));
        days->setText("1");
        click(w, "cmdDown");
        QCOMPARE(days->text(), "1");
        days->setText("5"); // unticking also moves the day
        click(w, "chkUpdate");
        QVERIFY(!child(w, "cmdUp")->isEnabled());
        QCOMPARE(date->text(), formatDate(m_today.addDays(5)));
        click(w, "cmdDefault");
        child<QListWidget>(w, "lstColors")->setCurrentRow(4);
        QTest::mouseClick(w.swatch(18), Qt::LeftButton);
        click(w, "cmdOK");
        QCOMPARE(r.archiveReminderSetting + r.archiveDaysSetting + r.openFileSetting +
                     r.openLocationSetting + ' ' + r.archiveDateSetting,
                 "05TrueFalse " + formatDate(m_today.addDays(5)));
        QCOMPARE(r.categoryColorSettings,
                 (std::array<QString, kCategoryCount>{"32896", "16711680", "32768", "192",
                                                      "8388736", "255", "-2147483627"}));
    }

    // New colours reach the list at its next colouring, not at once.
    void applyRecoloursTheListOnNextColouring()
    {
        m_f.writeDisc("Rock", "Music", {{"a.mp3", "/m/a.mp3", 1, "d"}});
        auto form = m_f.open();
        form->tree().selectNode("Rock");
        form->listSelectedDisc();
        QCOMPARE(form->listModel().rowColor(0), QColor(192, 192, 0));
        test::onNextDialog<OptionsWindow>([](OptionsWindow *o) {
            click(*o, "cmdAllBlack");
            click(*o, "cmdOK");
        });
        test::action(*form, "mnuOptions")->trigger();
        QCOMPARE(form->listModel().rowColor(0), QColor(192, 192, 0));
        form->colorRows();
        QCOMPARE(form->listModel().rowColor(0), QColor(Qt::black));
    }

    void figuresOfAStoreInWindowAndCli()
    {
        QCOMPARE(statisticsFields(StoreStatistics()).last().value, "(no files)");
        QCOMPARE(totalSizeText(qint64(1536) * 1048576), "1536 MB   (1.5 GB)");
        QCOMPARE(statisticsNumber(12.3) + ' ' + statisticsNumber(-0.001), "12.3 0");
        m_f.writeDisc(
            "Rock", "Music",
            {{"a", "/m/a", 5, "d"}, {"b", "/m/b", 3 * 1048576, "d"}, {"c", "/m/c", 2048, "d"}});
        m_f.writeDisc("Jazz", "Music", {{"d", "/m/d", 1048576, "d"}});
        // By hand: padded size lines, a name line with more on it, a size line with no value.
        QVERIFY(test::writeAll(discFilePath(m_f.root(), "Odd"),
                               "<cd-dvd>\r\n<catalog>Films</catalog>\r\nx <file_name>a</file_name>"
                               "\r\n   <file_size>  700 </file_size>   \r\n"
                               "<file_name>b</file_name>\r\n<file_size>\r\n</cd-dvd>\r\n"));
        QVERIFY(test::writeAll(picturePath(m_f.root(), "Rock"), "jpeg"));
        QVERIFY(test::writeAll(picturePath(m_f.root(), "Odd"), "jpeg"));
        {
            NotesStore notes;
            QVERIFY(notes.open(notesStorePath(m_f.root())));
            notes.setRecord("Jazz", "lent to Ana");
            QVERIFY(notes.appendRecord());
            notes.setRecord("Gone", "no such disc");
            QVERIFY(notes.appendRecord());
        }
        auto form = m_f.open();
        QStringList lines;
        test::onNextDialog<StatsWindow>([&](StatsWindow *stats) {
            for (const StatisticsField &f : statisticsFields(StoreStatistics()))
                lines << stats->findChild<QLabel *>(f.captionName)->text() + ' ' +
                             stats->findChild<QLabel *>(f.valueName)->text();
            stats->accept();
        });
        test::action(*form, "mnuStatistics")->trigger();
        QCOMPARE(lines,
                 QStringList({"Number of catalogs: 2", "Number of CDs/DVDs: 3",
                              "Number of attached pictures: 2", "Number of personal notes: 1",
                              "Total number of files: 6", "Total usage: 4 MB   (0 GB)",
                              "Largest file size: 3 MB", "Smallest file size: 5 B"}));
        QCOMPARE(m_f.cliOut({"stats"}).split('\n', Qt::SkipEmptyParts), lines);
    }

    // Size texts at each unit's boundary; tip numbers round half to even.
    void sizeTextsTipNumbersAndTips()
    {
        QStringList sizes;
        for (qint64 bytes : {10LL, 11LL, 10485LL, 10486LL})
            sizes << smallestSizeText(bytes) + '|' + largestSizeText(bytes);
        QCOMPARE(sizes,
                 QStringList({"10 B|0 MB", "0.01 KB|0 MB", "10.24 KB|0.01 MB", "0.01 MB|0.01 MB"}));
        QList<int> tips;
        for (double r : {1.0 / 30, 0.04, 5.0 / 30, 0.9999})
            tips << tipNumberFor(r);
        QCOMPARE(tips, QList<int>({0, 1, 2, 15}));
        QVERIFY(tipText(-1).isEmpty() && tipText(kTipCount).isEmpty());
        QCOMPARE(tipText(0), "For making new catalog go to\nFile -> New -> Catalog...");
        TipPicker stuck([] { return 9.0 / 15; }); // a stuck source still ends, on another tip
        QCOMPARE(stuck.next(), 9);
        QVERIFY(stuck.next() != 9);
    }

    // The tip shown, Next, and the check box stored when it closes (and only then); every
    // way of closing passes through the same done().
    void tipWindow()
    {
        SettingsRecord settings;
        settings.tipsAtStartSetting = "1";
        // Scripted random numbers: k / 15 picks tip k exactly.
        TipDialog tip(settings, nullptr, [tips = QList<int>{8, 8, 2}, i = 0]() mutable {
            return tips.at(i++) / 15.0;
        });
        tip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tip));
        QCOMPARE(tip.windowTitle() + tip.findChild<QLabel *>("lblTip")->text(),
                 "Tip of the day #9" + tipText(8));
        QTest::mouseClick(tip.findChild<QPushButton *>("cmdNext"), Qt::LeftButton);
        QCOMPARE(tip.windowTitle() + tip.findChild<QLabel *>("lblTip")->text(),
                 "Tip of the day #3" + tipText(2));
        QTest::mouseClick(tip.findChild<QCheckBox *>("chkShowTips"), Qt::LeftButton);
        QCOMPARE(settings.tipsAtStartSetting, "1");
        QVERIFY(tip.close());
        QCOMPARE(settings.tipsAtStartSetting, "0");
    }

    void aboutWindow()
    {
        AboutDialog about;
        QCOMPARE(QStringList({about.findChild<QLabel *>("lblVersion")->text(),
                              versionLine("2.13.7"), versionLine("3"), versionLine("no")}),
                 QStringList({"version 1.0", "version 2.13", "version 3.0", "version 1.0"}));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
