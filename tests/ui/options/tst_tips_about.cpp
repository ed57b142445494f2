// Orlith — desktop catalogue of removable media.
#include "ui/options/about_dialog.h"
#include "core/settings/settings_record.h"
#include "ui/options/tip_dialog.h"
#include "core/settings/tips.h"

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
    void tipTexts();
    void tipNumbers_data();
    void tipNumbers();
    void nextNeverRepeats();
    void tipWindow();
    void checkBoxStoredOnEveryClose_data();
    void checkBoxStoredOnEveryClose();
    void aboutWindow();
};

void TestTipsAbout::tipTexts()
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

void TestTipsAbout::tipNumbers_data()
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

void TestTipsAbout::tipNumbers()
{
    QFETCH(double, r);
    QFETCH(int, k);
    QCOMPARE(tipNumberFor(r), k);
}

void TestTipsAbout::nextNeverRepeats()
{
    int draws = 0;
    TipPicker picker(script({3, 3, 3, 0, 0, 15}, draws));
    QCOMPARE(picker.last(), TipPicker::kNoTip);
    QCOMPARE(picker.next(), 3);
    QCOMPARE(picker.next(), 0);
    QCOMPARE(draws, 4);
    QCOMPARE(picker.next(), 15);
    QCOMPARE(draws, 6);

    // A source stuck on one number still ends, on another tip.
    TipPicker stuck([] { return 9.0 / 15; });
    QCOMPARE(stuck.next(), 9);
    QVERIFY(stuck.next() != 9);
}

void TestTipsAbout::tipWindow()
{
    SettingsRecord settings;
    settings.tipsAtStartSetting = "1";
    int draws = 0;
    frmTip tip(settings, nullptr, script({8, 8, 2}, draws));
    QCOMPARE(tip.windowTitle(), "Tip of the day #9");
    auto *text = tip.findChild<QLabel *>("lblTip");
    QCOMPARE(text->text(), tipText(8));
    QVERIFY(tip.findChild<QCheckBox *>("chkShowTips")->isChecked());

    QTest::mouseClick(tip.findChild<QPushButton *>("cmdNext"), Qt::LeftButton);
    QCOMPARE(tip.windowTitle(), "Tip of the day #3");
    QCOMPARE(text->text(), tipText(2));
    QCOMPARE(tip.shownTip(), 2);
}

void TestTipsAbout::checkBoxStoredOnEveryClose_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Close button, ticked") << "button"
                                          << "0"
                                          << "1";
    QTest::newRow("close box, unticked") << "closeBox"
                                         << "1"
                                         << "0";
    QTest::newRow("Escape, ticked") << "escape"
                                    << "0"
                                    << "1";
}

void TestTipsAbout::checkBoxStoredOnEveryClose()
{
    QFETCH(QString, way);
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    SettingsRecord settings;
    settings.tipsAtStartSetting = stored;
    frmTip tip(settings);
    tip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tip));
    QTest::mouseClick(tip.findChild<QCheckBox *>("chkShowTips"), Qt::LeftButton);
    QCOMPARE(settings.tipsAtStartSetting, stored); // only closing stores it

    if (way == "button")
        QTest::mouseClick(tip.findChild<QPushButton *>("cmdClose"), Qt::LeftButton);
    else if (way == "closeBox")
        QVERIFY(tip.close());
    else
        QTest::keyClick(&tip, Qt::Key_Escape);
    QVERIFY(!tip.isVisible());
    QCOMPARE(settings.tipsAtStartSetting, expected);
}

void TestTipsAbout::aboutWindow()
{
    frmAbout about;
    QCOMPARE(about.windowTitle(), "About Orlith");
    QCOMPARE(about.findChild<QLabel *>("lblTitle")->text(), "Orlith");
    QCOMPARE(about.findChild<QLabel *>("lblVersion")->text(), "version 1.0");

    QCOMPARE(versionLine("2.13.7"), "version 2.13");
    QCOMPARE(versionLine("3"), "version 3.0");
    QCOMPARE(versionLine("not a version"), "version 1.0");
}

QTEST_MAIN(TestTipsAbout)
#include "tst_tips_about.moc"
