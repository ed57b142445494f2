// Orlith — desktop catalogue of removable media.
#include "core/capture/drives.h"
#include "ui/capture/new_disc_dialog.h"
#include "ui/common/date_control_widget.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/main/form1_window.h"
#include "ui/search/search_window.h"
#include "core/store/disc_listing.h"

#include "core/search/search_fixtures.h"
#include "support/dialogs.h"
#include "support/recording_services.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace orlith;

namespace {

QStringList listedLines(Form1 &form)
{
    QStringList out;
    for (const FileRow &row : form.listModel().rows())
        out << rowAsTabbedLine(row);
    return out;
}

QStringList cliLines(const QString &root, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ORLITH_CLI), QStringList{QStringLiteral("--data-dir"), root} + args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_store = std::make_unique<QTemporaryDir>();
        test::makeSearchStore(m_store->path());
        m_messages.boxes.clear();
        m_form = std::make_unique<Form1>(m_store->path(),
                                         UiServices{&m_messages, &m_desktop, &m_drives});
        m_form->show();
    }
    void cleanup() { m_form.reset(); }

    void quickFindFollowsTheTreeAndMatchesTheCommandLine()
    {
        Form1 &form = *m_form;
        auto *find = form.findChild<QLineEdit *>(QStringLiteral("txtFind"));
        find->setText(QStringLiteral("rock"));

        // No node selected: the two-line message, the list untouched.
        form.tree().setCurrentItem(nullptr);
        QTest::keyClick(find, Qt::Key_Return);
        QCOMPARE(m_messages.texts(),
                 QStringList{QStringLiteral("You must select catalogs or\ncatalog or a single CD/DVD for search")});
        QVERIFY(!form.listSearchRunning());

        // The root: every disc in tree order. A find started while one runs starts over.
        QSignalSpy finished(&form, &Form1::listSearchFinished);
        form.tree().selectNode(QStringLiteral("katalog"));
        form.findFiles();
        form.findFiles();
        QCOMPARE(form.lstCD(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"),
                                            QStringLiteral("Gamma")}));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(form.statusText(), QStringLiteral("Found  2 files."));
        QCOMPARE(listedLines(form), cliLines(m_store->path(), {QStringLiteral("find"),
                                                                QStringLiteral("rock")}));
        // Rows are coloured as they come (mp3 and flac are music, not black).
        QVERIFY(form.listModel().rowColor(0) != QColor(Qt::black) ||
                form.listModel().rowColor(1) != QColor(Qt::black));

        // A catalog without the needle's files; a disc whose file has gone is skipped.
        QVERIFY(QFile::remove(discFilePath(m_store->path(), QStringLiteral("Alpha"))));
        form.tree().selectNode(QStringLiteral("Music"));
        form.findFiles();
        QCOMPARE(form.listModel().rowCount(), 0);
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(listedLines(form), cliLines(m_store->path(), {QStringLiteral("find"),
                                                                QStringLiteral("rock"),
                                                                QStringLiteral("--catalog"),
                                                                QStringLiteral("Music")}));
        QCOMPARE(form.listModel().rowCount(), 1);

        form.tree().selectNode(QStringLiteral("Photos"));
        find->setText(QStringLiteral("zzz"));
        form.findFiles();
        QTRY_COMPARE(finished.count(), 3);
        QCOMPARE(form.statusText(), QStringLiteral("Found  0 files."));
    }

    void searchWindowDiscList()
    {
        Form1 &form = *m_form;
        form.showSearch();
        auto *window = qobject_cast<frmSearch *>(form.searchWindow());
        QVERIFY(window);
        QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form.tree().dragEnabled());
        auto *list = window->findChild<QListWidget *>(QStringLiteral("lstCDtoSearch"));
        QCOMPARE(list->count(), 7);
        QCOMPARE(list->item(6)->text(), QStringLiteral("                      All CD/DVD"));
        QVERIFY(window->showsAllPlaceholder());
        QVERIFY(!window->findChild<DateControl *>(QStringLiteral("DateControl1"))->Enable());

        // A disc dropped twice is listed once; a catalog adds only its discs not yet listed.
        form.tree().selectNode(QStringLiteral("Beta"));
        window->dropText(QStringLiteral("Beta"));
        window->dropText(QStringLiteral("Beta"));
        QCOMPARE(window->chosenDiscs(), QStringList{QStringLiteral("Beta")});
        form.tree().selectNode(QStringLiteral("Music"));
        window->dropText(QStringLiteral("Music"));
        QCOMPARE(window->chosenDiscs(), (QStringList{QStringLiteral("Beta"), QStringLiteral("Alpha")}));

        // Removing every disc brings the placeholder (and all discs) back.
        list->selectAll();
        window->findChild<QToolButton *>(QStringLiteral("cmdClearList"))->click();
        QVERIFY(window->showsAllPlaceholder());
        QCOMPARE(list->count(), 7);

        // The root adds nothing, but the placeholder is gone: the search ends at once.
        form.tree().selectNode(QStringLiteral("katalog"));
        window->dropText(QStringLiteral("Catalogs"));
        QVERIFY(!window->showsAllPlaceholder());
        QCOMPARE(list->count(), 0);
        QSignalSpy finished(window, &frmSearch::searchFinished);
        window->startSearch();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(form.statusText(), QStringLiteral("Found  0 files."));

        // A disc file made on Windows, copied in: the window shows it, and an empty text
        // lists every entry whatever its separator.
        QVERIFY(writeDiscFile(discFilePath(m_store->path(), QStringLiteral("WinDisc")),
                              QStringLiteral("Photos"),
                              {{QStringLiteral("r.doc"), QStringLiteral("D:\\Docs\\r.doc"), 9,
                                test::day(2004, 1, 1)},
                               {QStringLiteral("x.txt"), QStringLiteral("D:\\x.txt"), 9,
                                test::day(2004, 1, 1)}}));
        QTRY_VERIFY(form.tree().findNode(QStringLiteral("WinDisc")));
        form.tree().selectNode(QStringLiteral("WinDisc"));
        window->dropText(QStringLiteral("WinDisc"));
        window->startSearch();
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(form.listModel().rowCount(), 2);

        window->close();
        QVERIFY(!form.tree().dragEnabled());
    }

    void searchWindowOptionsAndResults()
    {
        Form1 &form = *m_form;
        form.showSearch();
        auto *window = qobject_cast<frmSearch *>(form.searchWindow());
        auto *sizeOption = window->findChild<QComboBox *>(QStringLiteral("cmbOptVelicina"));
        auto *sizeBox = window->findChild<QLineEdit *>(QStringLiteral("txtVelicinaFile"));
        auto *dateOption = window->findChild<QComboBox *>(QStringLiteral("cmbOptDatum"));
        auto *date = window->findChild<DateControl *>(QStringLiteral("DateControl1"));
        QVERIFY(!sizeBox->isEnabled());

        // Size box: digits and a point only; a text that is no number is emptied.
        sizeOption->setCurrentIndex(0);
        emit sizeOption->activated(0);
        QVERIFY(sizeBox->isEnabled());
        QTest::keyClicks(sizeBox, QStringLiteral("1a0x0"));
        QCOMPARE(sizeBox->text(), QStringLiteral("100"));
        sizeBox->setText(QStringLiteral("1.2."));
        QCOMPARE(sizeBox->text(), QString());
        sizeBox->setText(QStringLiteral("100"));

        // Date option typed by hand: a whole option stays, anything else resets.
        dateOption->lineEdit()->clear();
        QTest::keyClicks(dateOption->lineEdit(), QStringLiteral("after"));
        QCOMPARE(dateOption->currentText(), QStringLiteral("after"));
        QVERIFY(date->Enable());
        dateOption->lineEdit()->clear();
        QTest::keyClicks(dateOption->lineEdit(), QStringLiteral("x"));
        QCOMPARE(dateOption->currentText(), QStringLiteral("not sure"));
        QVERIFY(!date->Enable());
        dateOption->setCurrentText(QStringLiteral("after"));
        date->setDateVal(QDate(2004, 3, 15));

        auto *text = window->findChild<QLineEdit *>(QStringLiteral("txtSearchString"));
        text->setText(QStringLiteral("cd"));
        QSignalSpy finished(window, &frmSearch::searchFinished);
        window->findChild<QPushButton *>(QStringLiteral("cmdSearch"))->click();
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("lblText"))->text(),
                 describeSearch(window->criteria()));
        QTRY_COMPARE(finished.count(), 1);
        const QStringList expected =
            cliLines(m_store->path(),
                     {QStringLiteral("search"), QStringLiteral("--text"), QStringLiteral("cd"),
                      QStringLiteral("--at-least"), QStringLiteral("100"), QStringLiteral("--after"),
                      QStringLiteral("2004-03-15")});
        QCOMPARE(listedLines(form), expected);
        QCOMPARE(expected.size(), 1); // Концерт.ogg: 200 KB, 2010
        QCOMPARE(form.statusText(), QStringLiteral("Found  1 files."));

        // A second search over all discs gives the same rows.
        window->startSearch();
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(listedLines(form), expected);

        // Closing the window drops its search; the main window's own finds go on.
        window->startSearch();
        window->close();
        QVERIFY(!form.listSearchRunning());
    }

    void saveListAsDisc()
    {
        Form1 &form = *m_form;
        form.saveList();
        QCOMPARE(m_messages.texts(), QStringList{QStringLiteral("List is empty.There is no files to save.")});

        QList<FileRow> rows;
        for (int i = 0; i < 501; ++i)
            rows.append({QStringLiteral("f%1").arg(i), QStringLiteral("/m/f%1").arg(i), 1000 + i,
                         test::day(2005, 1, 1), QStringLiteral("Other")});
        form.listModel().setRows(rows);
        test::onNextDialog<frmNewCD>([](frmNewCD *d) {
            QVERIFY(!d->findChild<QComboBox *>(QStringLiteral("comCDROMs"))->isVisible());
            d->findChild<QLineEdit *>(QStringLiteral("txtNewCDName"))->setText(QStringLiteral("Saved"));
            d->findChild<QComboBox *>(QStringLiteral("comCDCat"))->setCurrentText(QStringLiteral("Photos"));
            d->Command1Click();
        });
        QSignalSpy saved(&form, &Form1::saveFinished);
        form.saveList();
        QVERIFY(form.saveRunning());
        QCOMPARE(form.statusText(), QStringLiteral("Saving files from the list as new xml... "));
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(form.statusText(), QStringLiteral("Ready.  501 files save into xml."));
        QCOMPARE(form.listModel().rowCount(), 501);
        QVERIFY(form.tree().findNode(QStringLiteral("Saved")));

        // The disc keeps exact byte counts and lists under its own name.
        QList<FileRow> listed;
        QVERIFY(listDiscFiles(m_store->path(), QStringLiteral("Saved"), listed));
        QCOMPARE(listed.size(), 501);
        QCOMPARE(listed[500].size(), qint64(1500));
        QCOMPARE(listed[0].disc(), QStringLiteral("Saved"));

        // Cancelling the dialog saves nothing.
        test::onNextDialog<frmNewCD>([](frmNewCD *d) { d->reject(); });
        form.saveList();
        QVERIFY(!form.saveRunning());
    }

private:
    std::unique_ptr<QTemporaryDir> m_store;
    test::RecordingMessages m_messages;
    test::FakeDesktop m_desktop;
    FakeDriveProvider m_drives;
    std::unique_ptr<Form1> m_form;
};

QTEST_MAIN(TestSearchWindow)
#include "tst_search_window.moc"
