// Orlith — desktop catalogue of removable media.
#include "core/store/disc_listing.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/common/date_control_widget.h"
#include "ui/search/search_window.h"

#include "core/search/search_fixtures.h"
#include "support/window_fixture.h"

using namespace orlith;
using namespace Qt::StringLiterals;

namespace {

QStringList listedLines(MainWindow &form)
{
    QStringList out;
    for (const FileRow &row : form.listModel().rows())
        out << rowAsTabbedLine(row);
    return out;
}

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_f.reset();
        test::makeSearchStore(m_f.root());
        m_form = m_f.open();
    }
    void cleanup() { m_form.reset(); }

    void quickFindFollowsTheTreeAndMatchesTheCommandLine()
    {
        auto *find = form().findChild<QLineEdit *>(u"txtFind"_s);
        find->setText(u"rock"_s);
        form().tree().setCurrentItem(nullptr);
        QTest::keyClick(find, Qt::Key_Return);
        QCOMPARE(
            m_f.messages.texts(),
            QStringList{u"You must select catalogs or\ncatalog or a single CD/DVD for search"_s});
        // The root: every disc in tree order. A find started while one runs starts over.
        QSignalSpy finished(&form(), &MainWindow::listSearchFinished);
        form().tree().selectNode(u"katalog"_s);
        form().findFiles();
        form().findFiles();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(form().statusText(), u"Found  2 files."_s);
        QCOMPARE(listedLines(form()), cliLines({u"find"_s, u"rock"_s}));
        // A catalog without the needle's files; a disc whose file has gone is skipped.
        QVERIFY(QFile::remove(discFilePath(m_f.root(), u"Alpha"_s)));
        form().tree().selectNode(u"Music"_s);
        form().findFiles();
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(listedLines(form()), cliLines({u"find"_s, u"rock"_s, u"--catalog"_s, u"Music"_s}));
    }

    void searchWindowDiscList()
    {
        form().showSearch();
        auto *window = qobject_cast<SearchWindow *>(form().searchWindow());
        QVERIFY(window && window->windowFlags() & Qt::WindowStaysOnTopHint &&
                form().tree().dragEnabled());
        auto *list = window->findChild<QListWidget *>(u"lstCDtoSearch"_s);
        QCOMPARE(list->item(list->count() - 1)->text(), u"                      All CD/DVD"_s);
        // A disc dropped twice is listed once; a catalog adds only its discs not yet listed.
        form().tree().selectNode(u"Beta"_s);
        window->dropText(u"Beta"_s);
        window->dropText(u"Beta"_s);
        form().tree().selectNode(u"Music"_s);
        window->dropText(u"Music"_s);
        QCOMPARE(window->chosenDiscs(), (QStringList{u"Beta"_s, u"Alpha"_s}));
        // Removing every disc brings the placeholder (and all discs) back.
        list->selectAll();
        window->findChild<QToolButton *>(u"cmdClearList"_s)->click();
        QVERIFY(list->count() == 7 && window->showsAllPlaceholder());
        // The root adds nothing, but the placeholder is gone: the search ends at once.
        form().tree().selectNode(u"katalog"_s);
        window->dropText(u"Catalogs"_s);
        QVERIFY(list->count() == 0 && !window->showsAllPlaceholder());
        QSignalSpy finished(window, &SearchWindow::searchFinished);
        window->startSearch();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(form().statusText(), u"Found  0 files."_s);
        // A disc file copied in shows in the tree (tst_disc_search reads its Windows paths).
        QVERIFY(writeDiscFile(discFilePath(m_f.root(), u"WinDisc"_s), u"Photos"_s, {}));
        QTRY_VERIFY(form().tree().findNode(u"WinDisc"_s));
    }

    // Enter in the text box searches; Esc closes the window as its title bar's button does.
    void searchWindowOptionsAndResults()
    {
        form().showSearch();
        auto *window = qobject_cast<SearchWindow *>(form().searchWindow());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto *sizeOption = window->findChild<QComboBox *>(u"cmbOptVelicina"_s);
        auto *sizeBox = window->findChild<QLineEdit *>(u"txtVelicinaFile"_s);
        auto *dateOption = window->findChild<QComboBox *>(u"cmbOptDatum"_s);
        auto *date = window->findChild<DateControl *>(u"DateControl1"_s);
        sizeOption->setCurrentIndex(0); // enables the size box, which takes no keys before
        emit sizeOption->activated(0);
        // Size box: digits and a point only, a text that is no number emptied. Date option typed
        // by hand: a whole option stays and enables the date, anything else resets.
        QStringList typed;
        for (const auto &[edit, keys] :
             QList<std::pair<QLineEdit *, QString>>{{sizeBox, u"1a0x0"_s},
                                                    {sizeBox, u"1.2."_s},
                                                    {dateOption->lineEdit(), u"after"_s},
                                                    {dateOption->lineEdit(), u"x"_s}}) {
            edit->clear();
            QTest::keyClicks(edit, keys);
            typed << edit->text() + (date->Enable() ? u" +"_s : u" -"_s);
        }
        QCOMPARE(typed, (QStringList{u"100 -"_s, u" -"_s, u"after +"_s, u"not sure -"_s}));
        sizeBox->setText(u"100"_s);
        dateOption->setCurrentText(u"after"_s);
        date->setDate(QDate(2004, 3, 15));
        auto *text = window->findChild<QLineEdit *>(u"txtSearchString"_s);
        text->setText(u"cd"_s);
        QSignalSpy finished(window, &SearchWindow::searchFinished);
        QTest::keyClick(text, Qt::Key_Return);
        QTRY_COMPARE(finished.count(), 1);
        const QStringList expected = cliLines({u"search"_s, u"--text"_s, u"cd"_s, u"--at-least"_s,
                                               u"100"_s, u"--after"_s, u"2004-03-15"_s});
        QCOMPARE(listedLines(form()), expected);
        QCOMPARE(expected.size(), 1); // Концерт.ogg: 200 KB, 2010
        QCOMPARE(form().statusText(), u"Found  1 files."_s);
        // Closing the window drops its search; the main window's own finds go on.
        window->startSearch();
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!window->isVisible() && !form().listSearchRunning() &&
                !form().tree().dragEnabled());
    }

    void saveListAsDisc()
    {
        form().saveList();
        QCOMPARE(m_f.messages.texts(), QStringList{u"List is empty.There is no files to save."_s});
        QList<FileRow> rows;
        for (int i = 0; i < 501; ++i)
            rows.append(
                {u"f%1"_s.arg(i), u"/m/f%1"_s.arg(i), 1000 + i, test::day(2005, 1, 1), u"Other"_s});
        form().listModel().setRows(rows);
        test::onNextDialog<NewDiscDialog>([](NewDiscDialog *d) {
            QVERIFY(!d->findChild<QComboBox *>(u"comCDROMs"_s)->isVisible());
            test::nameDisc(*d, u"Saved"_s, u"Photos"_s);
            d->checkAndAccept();
        });
        QSignalSpy saved(&form(), &MainWindow::saveFinished);
        form().saveList();
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(form().statusText(), u"Ready.  501 files save into xml."_s);
        QCOMPARE(form().listModel().rowCount(), 501);
        QVERIFY(form().tree().findNode(u"Saved"_s));
        QList<FileRow> listed;
        QVERIFY(listDiscFiles(m_f.root(), u"Saved"_s, listed));
        QCOMPARE(listed.value(0).disc() + ' ' + QString::number(listed.value(500).size()),
                 u"Saved 1500"_s);
        test::onNextDialog<NewDiscDialog>([](NewDiscDialog *d) { d->reject(); });
        form().saveList();
        QVERIFY(!form().saveRunning());
    }

    // Keys typed into one part of the date control, a whole date typed from the day box on, or
    // pasted: a pasted text that reads as no date leaves the parts as they were.
    void dateTyping_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("how"); // "0" day, "1" month, "2" year box; "whole"; "paste"
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text"); // that box afterwards; the year box for a whole date
        QTest::addColumn<QDate>("date");   // invalid: not checked
        const auto row = [](const char *tag, QDate start, const char *how, const char *keys,
                            const char *text, QDate date) {
            QTest::newRow(tag) << start << QString(how) << QString(keys) << QString(text) << date;
        };
        const QDate june(2023, 6, 15);
        row("leap 29", QDate(2024, 2, 10), "0", "29", "29", QDate(2024, 2, 29));
        row("April 31", QDate(2023, 4, 10), "0", "31", "1", QDate(2023, 4, 1));
        row("1 then 2", QDate(2023, 1, 31), "1", "2", "12", QDate(2023, 12, 31));
        row("month clamps", QDate(2023, 1, 31), "1", "22", "2", QDate(2023, 2, 28));
        row("before 1980", june, "2", "1975", "5", QDate());
        row("digits", june, "whole", "01012022", "2022", QDate(2022, 1, 1));
        row("points", june, "whole", "1.1.2022", "2022", QDate(2022, 1, 1));
        row("pasted points", june, "paste", " 2.3.2021 ", "2021", QDate(2021, 3, 2));
        row("pasted 31 February", june, "paste", "31.02.2022", "2023", june);
    }

    void dateTyping()
    {
        QFETCH(QDate, start);
        QFETCH(QString, how);
        QFETCH(QString, keys);
        QFETCH(QDate, date);
        QWidget window;
        DateControl c(&window, start);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        c.dayBox()->setFocus();
        QLineEdit *edit = how.size() == 1
                              ? QList{c.dayBox(), c.monthBox(), c.yearBox()}[how.toInt()]
                              : c.yearBox();
        if (how == "paste") {
            QGuiApplication::clipboard()->setText(keys);
            QTest::keySequence(c.monthBox(), QKeySequence::Paste);
        } else {
            if (how == "0" || how == "2")
                edit->clear();
            for (QChar k : keys)
                QTest::keyClick(how == "whole" ? QApplication::focusWidget() : edit, k.toLatin1());
        }
        QTEST(edit->text(), "text");
        if (date.isValid())
            QCOMPARE(c.date(), date);
        if (how.size() == 1) // the day box shows the day it holds
            QCOMPARE(c.dayBox()->text(), QString::number(c.day()));
    }

    // The button opens a calendar on the shown date and a chosen day fills the parts; a day that
    // no longer fits its month, or is left invalid, is repaired.
    void dateFromCalendarAndRepairs()
    {
        QWidget window;
        DateControl c(&window, QDate(2023, 6, 15)); // an invalid day returns to this one
        window.show();
        QTest::mouseClick(c.findChild<QToolButton *>(u"cmdCalendar"_s), Qt::LeftButton);
        QCalendarWidget *calendar = c.calendar();
        QVERIFY(calendar && calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate(2023, 6, 15));
        calendar->setSelectedDate(QDate(2024, 2, 29));
        QTest::keyClick(calendar->findChild<QTableView *>(), Qt::Key_Return);
        QCOMPARE(c.date(), QDate(2024, 2, 29));
        QTRY_VERIFY(!c.calendar());
        c.setYear(2025);
        QCOMPARE(c.date(), QDate(2025, 2, 28));
        c.dayBox()->setText("0");
        c.leaveDay();
        QCOMPARE(c.day(), 15);
    }

private:
    MainWindow &form() { return *m_form; }
    QStringList cliLines(const QStringList &args)
    {
        return m_f.cliOut(args).split(u'\n', Qt::SkipEmptyParts);
    }

    test::WindowFixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestSearchWindow)
#include "tst_search_window.moc"
