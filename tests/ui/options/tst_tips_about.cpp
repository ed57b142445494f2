// Orlith — desktop catalogue of removable media.
#include "core/settings/settings_record.h"
#include "core/settings/tips.h"
#include "ui/options/about_dialog.h"
#include "ui/options/tip_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace orlith;

// Scripted random numbers: k / 15 picks tip k exactly.
TipPicker::RandomSource script(QList<int> tips, int &draws)
{
    return [tips, &draws] { return tips.at(draws++) / 15.0; };
}

class TestTipsAbout : public QObject
{
    Q_OBJECT

private slots:
    void tipTexts()
    {
        for (int k = -1; k <= kTipCount; ++k)
            QCOMPARE(tipText(k).isEmpty(), k < 0 || k == kTipCount);
        QCOMPARE(tipText(0), "For making new catalog go to\nFile -> New -> Catalog...");
        QCOMPARE(tipText(5), "To find, for example, all MP3 files first click on Catalogs (to search "
                             "all CD/DVD) then enter search string \".mp3\", without quotes, and "
                             "click Search button.");
        QCOMPARE(tipText(15), "Adjust personal colors for seven different file types.\nTo do this "
                              "go to: Tools -> Options...");
    }

    void tipNumbers_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("k");
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("0.5 rounds to even 0") << 1.0 / 30 << 0;
        QTest::newRow("just above 0.5") << 0.04 << 1;
        QTest::newRow("2.5 rounds to even 2") << 5.0 / 30 << 2;
        QTest::newRow("8.5 rounds to even 8") << 17.0 / 30 << 8;
        QTest::newRow("14.5 rounds to even 14") << 29.0 / 30 << 14;
        QTest::newRow("near one") << 0.9999 << 15;
    }

    void tipNumbers()
    {
        QFETCH(double, r);
        QFETCH(int, k);
        QCOMPARE(tipNumberFor(r), k);
    }

    void nextNeverRepeats()
    {
        int draws = 0;
        TipPicker picker(script({3, 3, 3, 0, 0, 15}, draws));
        QCOMPARE(picker.last(), TipPicker::kNoTip);
        QCOMPARE(picker.next(), 3);
        QCOMPARE(picker.next(), 0); // drawn again until it differs
        QCOMPARE(picker.next(), 15);
        QCOMPARE(draws, 6);
        TipPicker stuck([] { return 9.0 / 15; }); // a stuck source still ends, on another tip
        QCOMPARE(stuck.next(), 9);
        QVERIFY(stuck.next() != 9);
    }

    void tipWindow_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Close button, ticked") << "button" << "0" << "1";
        QTest::newRow("close box, unticked") << "closeBox" << "1" << "0";
        QTest::newRow("Escape, ticked") << "escape" << "0" << "1";
    }

    // The tip shown, Next, and the check box stored on every way of closing (and only then).
    void tipWindow()
    {
        QFETCH(QString, way);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        SettingsRecord settings;
        settings.tipsAtStartSetting = stored;
        int draws = 0;
        frmTip tip(settings, nullptr, script({8, 8, 2}, draws));
        tip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tip));
        QCOMPARE(tip.windowTitle() + tip.findChild<QLabel *>("lblTip")->text(),
                 "Tip of the day #9" + tipText(8));
        auto *box = tip.findChild<QCheckBox *>("chkShowTips");
        QCOMPARE(box->isChecked(), stored == "1");
        QTest::mouseClick(tip.findChild<QPushButton *>("cmdNext"), Qt::LeftButton);
        QCOMPARE(tip.windowTitle() + tip.findChild<QLabel *>("lblTip")->text(),
                 "Tip of the day #3" + tipText(2));
        QCOMPARE(tip.shownTip(), 2);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(settings.tipsAtStartSetting, stored);
        if (way == "button")
            QTest::mouseClick(tip.findChild<QPushButton *>("cmdClose"), Qt::LeftButton);
        else if (way == "closeBox")
            QVERIFY(tip.close());
        else
            QTest::keyClick(&tip, Qt::Key_Escape);
        QVERIFY(!tip.isVisible());
        QCOMPARE(settings.tipsAtStartSetting, expected);
    }

    void aboutWindow()
    {
        frmAbout about;
        QCOMPARE(about.windowTitle(), "About Orlith");
        QCOMPARE(about.findChild<QLabel *>("lblTitle")->text(), "Orlith");
        QCOMPARE(about.findChild<QLabel *>("lblVersion")->text(), "version 1.0");
        QCOMPARE(QStringList({versionLine("2.13.7"), versionLine("3"), versionLine("not a version")}),
                 QStringList({"version 2.13", "version 3.0", "version 1.0"}));
    }
};

QTEST_MAIN(TestTipsAbout)
#include "tst_tips_about.moc"
