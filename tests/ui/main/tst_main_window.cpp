// Orlith — desktop catalogue of removable media.
// The main window and its parts: the file list's model and commands, the details pane.
#include "core/store/date_text.h"
#include "core/store/file_categories.h"
#include "core/store/notes_store.h"
#include "support/window_fixture.h"
#include "ui/main/add_picture_dialog.h"
#include "ui/main/file_list_commands.h"
#include "ui/main/help_manual.h"

using namespace orlith;
using namespace Qt::StringLiterals;
using namespace orlith::test;

namespace {

FileRow fileRow(const QString &name, qint64 size = 0)
{
    return FileRow{name, "/m/" + name, size, "1.1.2004 10:00:00", "Disc"};
}

// Colours category k with the colour text k: a row's red value names its category.
void colour(FileListModel &model)
{
    QStringList colors;
    for (int c = 1; c <= kCategoryCount; ++c)
        colors << QString::number(c);
    ExtensionTable table;
    table.buildExtensionTable(colors);
    model.colorRows(table, QPalette());
}

bool savePicture(const QString &path, QSize size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image.save(path, format);
}

// Two discs, an open notes store, and a pane beside a line edit that can take the focus.
struct PaneFixture
{
    QString root;
    test::RecordingMessages &messages;
    NotesStore notes;
    QWidget window;
    DetailsPane *pane = nullptr;
    QLineEdit *elsewhere = nullptr;

    explicit PaneFixture(test::WindowFixture &f) : root(f.root()), messages(f.messages)
    {
        QVERIFY(notes.open(notesStorePath(root)));
        f.writeDisc(
            "Photos", "Home",
            {{"a.jpg", "/a.jpg", 1, "d"}, {"b.mp3", "/b.mp3", 1, "d"}, {"c", "/c", 1, "d"}});
        f.writeDisc("Music", "Home");
        pane = new DetailsPane(root, notes, {&messages}, &window);
        elsewhere = new QLineEdit(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(pane);
        layout->addWidget(elsewhere);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    template <typename T> T *child(const char *name) { return window.findChild<T *>(name); }
    QString label(const char *name) { return child<QLabel>(name)->text(); }
    QPlainTextEdit *notesBox() { return child<QPlainTextEdit>("txtPersonalDiscription"); }

    // Types into the notes box and leaves it, as the user does.
    void typeNotes(const QString &text)
    {
        notesBox()->setFocus();
        QCoreApplication::processEvents();
        QTest::keyClicks(notesBox(), text);
        elsewhere->setFocus();
    }
    QString storedNotes(const QString &disc)
    {
        notes.resetSearch();
        return notes.findRecord(disc) == NotesStore::kFound ? notes.notes() : "<none>";
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    test::WindowFixture m_f;

private slots:
    void init() { m_f.reset(); }

    // A store with no disc to show says how to begin, in the list, and why a file is not
    // shown; both go once every disc file shows.
    void firstStartMenusAndButtons()
    {
        QVERIFY(writeAll(discFilePath(m_f.root(), "Odd"), ""));
        auto form = m_f.open();
        QCOMPARE(form->windowTitle() + '|' + form->tree().rootItem()->text(0), "Orlith|Catalogs");
        auto *hint = form->fileList().findChild<QLabel *>("lblFirstStart");
        QVERIFY(hint && hint->isVisible() && hint->text().contains("File > New > CD/DVD..."));
        QCOMPARE(form->statusText(), "Not shown: Odd.xml: names no catalog");
        m_f.writeDisc("Odd", "Music");
        form->refreshFromStore();
        QVERIFY(!hint->isVisible() && form->statusText() == "Ready");
        // Shut-down writes the catalog order file, quietly.
        QVERIFY(form->close() && m_f.messages.boxes.isEmpty());
        QVERIFY(QFile::exists(catalogOrderPath(m_f.root())));
    }

    // The install test (tests/install) runs this on the tree that `cmake --install` wrote.
    void installedTree()
    {
        const QString prefix = qEnvironmentVariable("ORLITH_INSTALLED_PREFIX");
        if (prefix.isEmpty())
            QSKIP("needs ORLITH_INSTALLED_PREFIX, set by the install test");
        QCOMPARE(findManual(prefix + "/bin", m_f.root()),
                 QDir::cleanPath(prefix + "/share/doc/orlith/Orlith.html"));
    }

    void treeSelectionDrivesMenusAndDetails()
    {
        m_f.writeDisc("Rock", "Music");
        QVERIFY(test::writeAll(catalogOrderPath(m_f.root()), "Empty\r\nMusic\r\n"));
        auto form = m_f.open();
        CatalogTree &tree = form->tree();
        tree.selectNode("Music"); // a catalog with discs: no delete
        QVERIFY(!action(*form, "mnuDelete")->isEnabled() &&
                action(*form, "mnuRename")->isEnabled());
        tree.selectNode("Empty"); // an empty catalog can go
        QVERIFY(action(*form, "mnuDeletePopUP")->isEnabled());
        tree.selectNode("Rock");
        QCOMPARE(form->detailsPane().shownDisc(), "Rock");
        tree.selectNode("katalog"); // the root: nothing to rename or delete, no disc shown
        QVERIFY(!action(*form, "mnuRename")->isEnabled() &&
                !action(*form, "mnuDelete")->isEnabled());
        QCOMPARE(form->detailsPane().shownDisc(), QString());
    }

    void listingAndListCommands()
    {
        m_f.writeDisc("Rock", "Music",
                      {{"a.mp3", "/m/x/a.mp3", 1536, "d"},
                       {"b.mp3", "/m/y/b.mp3", 2, "d"},
                       {"c.mp3", "/m/z/c.mp3", 3, "d"}});
        auto form = m_f.open();
        FileListModel &model = form->listModel();
        form->tree().selectNode("Rock");
        QTest::keyClick(&form->tree(), Qt::Key_Return);
        QCOMPARE(QString::number(model.rowCount()) + form->statusText(), "3 3 files found in xml.");
        form->openSelectedFile();
        form->copySelectedFiles();
        QCOMPARE(m_f.messages.texts(), QStringList(2, "You must select file from list."));
        QVERIFY(!m_f.desktop.clipboard);
        QTableView &list = form->fileList();
        list.selectionModel()->select(model.index(0, 0),
                                      QItemSelectionModel::Rows | QItemSelectionModel::Select);
        list.selectionModel()->setCurrentIndex(model.index(2, 0), QItemSelectionModel::Rows |
                                                                      QItemSelectionModel::Select);
        form->copySelectedFiles(); // keysRunTheirCommands has what Ctrl+C copies
        QCOMPARE(form->statusText(), "File copied to clipboard");
        form->openSelectedLocation();
        QCOMPARE(m_f.desktop.folders, QStringList{"/m/z/"});
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(names(model), "b.mp3");
        QCOMPARE(fileCountText(m_f.root(), "Rock"), "3"); // only the list changed
        form->clearList();
        QCOMPARE(QString::number(model.rowCount()) + form->statusText(), "0Ready");
        // A disc file removed behind the program's back is reported, not a crash.
        QFile::remove(discFilePath(m_f.root(), "Rock"));
        form->listSelectedDisc();
        QCOMPARE(QString::number(m_f.messages.boxes.size()) + m_f.messages.boxes.last().title,
                 "3Error");
    }

    // Each key with the focus where a user would have it; a dialog it opens is closed by Esc.
    void keysRunTheirCommands_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("effect");
        const auto row = [](const char *tag, const QKeySequence &keys, const char *focus,
                            const char *effect) { QTest::newRow(tag) << keys << focus << effect; };
        // The new disc goes into the selected disc's catalog, not the first one.
        row("Ctrl+N", QKeySequence::New, "tree", "frmNewCD Music, closed");
        row("F2", QKeySequence(Qt::Key_F2), "tree", "frmRename Rock, closed");
        row("Ctrl+F", QKeySequence::Find, "list", "focus txtFind");
        row("F5", QKeySequence(Qt::Key_F5), "list", "tree shows Later");
        row("Ctrl+C", QKeySequence::Copy, "list",
            "/m/x/a.mp3\n/m/z/c.mp3 file:///m/x/a.mp3 file:///m/z/c.mp3");
        row("Ctrl+A", QKeySequence::SelectAll, "tree", "3 rows selected");
    }

    void keysRunTheirCommands()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, focus);
        QFETCH(QString, effect);
        m_f.writeDisc("Rock", "Music",
                      {{"a.mp3", "/m/x/a.mp3", 1, "d"},
                       {"c.mp3", "/m/z/c.mp3", 3, "d"},
                       {"b.mp3", "/m/y/b.mp3", 2, "d"}});
        QVERIFY(test::writeAll(catalogOrderPath(m_f.root()), "Films\r\nMusic\r\n"));
        auto form = m_f.open();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->tree().selectNode("Rock");
        form->listSelectedDisc();
        QTableView &list = form->fileList();
        list.selectionModel()->select(
            QItemSelection(form->listModel().index(0, 0), form->listModel().index(1, 0)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QWidget *target = focus == "tree" ? static_cast<QWidget *>(&form->tree()) : &list;
        target->setFocus();
        m_f.writeDisc("Later", "Films"); // unseen until the store is read again
        QString seen;
        test::onNextDialog<QDialog>([&seen](QDialog *d) {
            const auto *name = d->findChild<QLineEdit *>();
            const auto *catalog = d->findChild<QComboBox *>("comCDCat");
            seen = d->objectName() + ' ' + (catalog ? catalog->currentText() : name->text());
            QTest::keyClick(d, Qt::Key_Escape);
            seen += d->isVisible() ? ", stayed" : ", closed";
            d->reject();
        });
        QTest::keySequence(target, keys);
        QStringList clip;
        if (m_f.desktop.clipboard) {
            clip << m_f.desktop.clipboard->text();
            for (const QUrl &url : m_f.desktop.clipboard->urls())
                clip << url.toString();
        }
        const QString got =
            !seen.isEmpty()                                          ? seen
            : !clip.isEmpty()                                        ? clip.join(' ')
            : QApplication::focusWidget()->objectName() == "txtFind" ? "focus txtFind"
            : form->tree().findNode("Later")
                ? "tree shows Later"
                : QString::number(selectedRows(*list.selectionModel()).size()) + " rows selected";
        QCOMPARE(got, effect);
    }

    // A fresh install opens a file on a double click; a stored choice stays as it was.
    void doubleClickOnAFreshInstall_data()
    {
        QTest::addColumn<QByteArray>("dataIni"); // "-": no file
        QTest::addColumn<QString>("opened");
        QTest::newRow("no Data.ini") << QByteArray("-") << "document /m/a.txt";
        QTest::newRow("stored off") << QByteArray("\0\0\x04\0True", 8) << "folder /m/";
    }

    void doubleClickOnAFreshInstall()
    {
        QFETCH(QByteArray, dataIni);
        QFETCH(QString, opened);
        if (dataIni != "-")
            QVERIFY(test::writeAll(settingsPath(m_f.root()), dataIni));
        m_f.writeDisc("Docs", "Home", {{"a.txt", "/m/a.txt", 1, "d"}});
        auto form = m_f.open();
        form->tree().selectNode("Docs");
        form->listSelectedDisc();
        QTableView &list = form->fileList();
        const QPoint cell = list.visualRect(form->listModel().index(0, 1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(m_f.desktop.documents.isEmpty() ? "folder " + m_f.desktop.folders.join(' ')
                                                 : "document " + m_f.desktop.documents.join(' '),
                 opened);
    }

    // Rows removed (by runs, and so many runs that the list is rebuilt), appended, sorted and
    // cleared under the model tester; colours and the header's arrow follow them, and a new
    // list starts unsorted.
    void rowsKeepTheirColours()
    {
        FileListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QIcon up(QPixmap(8, 8)), down(QPixmap(8, 8));
        model.setSortIcons(up, down);
        const auto arrow = [&](int column) {
            const QVariant icon = model.headerData(column, Qt::Horizontal, Qt::DecorationRole);
            const qint64 key = icon.value<QIcon>().cacheKey();
            return key == up.cacheKey() ? 'u' : key == down.cacheKey() ? 'd' : '-';
        };
        const int name = FileListModel::NameColumn, size = FileListModel::SizeColumn;
        QList<FileRow> rows;
        for (int i = 0; i < 40; ++i)
            rows << fileRow(QString("r%1.%2").arg(i).arg(i % 2 ? "mp3" : "txt"), i * 700);
        model.setRows(rows);
        colour(model);
        model.removeRowsAt({5, 1, 1, 2, -1, 99}); // r1, r2, r5
        QList<int> everyOther;
        for (int i = 0; i < model.rowCount(); i += 2)
            everyOther << i;
        model.removeRowsAt(everyOther);
        QString expected = "r3.mp3";
        for (int i = 6; i < 40; i += 2)
            expected += QString(" r%1.txt").arg(i);
        QCOMPARE(names(model), expected);
        const auto red = [&model](int row) {
            return model.index(row, 2).data(Qt::ForegroundRole).value<QColor>().red();
        };
        model.appendRows({fileRow("a_late.mp3")}); // black until the list is coloured again
        QCOMPARE(QList({red(0), red(1), red(18)}), QList({5, 7, 0}));
        model.sortByHeader(name);
        QCOMPARE(QList({red(0), red(1)}), QList({0, 5})); // colours move with their rows
        QCOMPARE(arrow(name), 'u');
        model.sortByHeader(name);
        QCOMPARE(arrow(name), 'd');
        model.sortByHeader(size); // another column starts ascending, alone
        QCOMPARE(QString{arrow(name)} + arrow(size), "-u");
        model.clear();
        QCOMPARE(QString{arrow(size)} + QString::number(model.sortColumn()), "--1");
        model.sortByHeader(FileListModel::DateColumn);
    }

    void headersAndListCommands()
    {
        FileListModel model;
        model.setRows({fileRow("a"), fileRow("b c.txt"), fileRow("c"), fileRow("ü.mp3")});
        QItemSelectionModel selection(&model);
        selection.select(model.index(3, 2),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection.select(model.index(1, 0), QItemSelectionModel::Select);
        selection.select(model.index(1, 4), QItemSelectionModel::Select);
        QCOMPARE(selectedRows(selection), QList<int>({1, 3}));
        selection.setCurrentIndex(model.index(3, 0), QItemSelectionModel::NoUpdate);
        QCOMPARE(commandRow(selection), 3);
        selection.setCurrentIndex(model.index(2, 0), QItemSelectionModel::NoUpdate); // unselected
        QCOMPARE(commandRow(selection), 1);
        const std::unique_ptr<QMimeData> data(filesMimeData(selectedPaths(model, selection)));
        QCOMPARE(data->data("x-special/gnome-copied-files"),
                 "copy\nfile:///m/b%20c.txt\nfile:///m/%C3%BC.mp3");
        using A = DoubleClickAction;
        QCOMPARE(QList({doubleClickAction(true, true, "a.txt"), doubleClickAction(false, true, "a"),
                        doubleClickAction(false, false, "a"), doubleClickAction(true, true, "")}),
                 QList({A::OpenFile, A::OpenLocation, A::Nothing, A::Nothing}));
        // A location is the path up to its last separator of either kind.
        QCOMPARE(folderOfPath("/m/x\\y.txt") + ' ' + folderOfPath("D:\\x/y.txt") + ' ' +
                     folderOfPath("readme.txt"),
                 "/m/x\\ D:\\x/ readme.txt");
    }

    void discAndFileFactsAndLook()
    {
        PaneFixture f(m_f);
        const auto facts = [&f] {
            QString out;
            for (const char *name : {"lblExtraCDName", "lblExtraNumOfFiles", "lblExtraFileName",
                                     "lblExtraFileSize", "lblExtraFileCreationTime"})
                out += f.label(name) + '|';
            return out + f.notesBox()->toPlainText();
        };
        f.pane->showDisc("Photos");
        QCOMPARE(facts(), "Photos|3||||Personal notes...");
        QCOMPARE(f.label("lblExtraInportDate"),
                 formatDateText(QFileInfo(discFilePath(f.root, "Photos")).lastModified()));
        f.pane->showFile({"a.jpg", "/m/a.jpg", 1536, "1.1.2004 10:00:00", "Music"});
        QCOMPARE(facts(), "Music|0|a.jpg|1.50 Kb|1.1.2004 10:00:00|Personal notes...");
        QVERIFY(!f.child<QLabel>("imgIcon")->pixmap().isNull());
        f.pane->clearDiscDetails();
        QCOMPARE(facts() + f.label("lblExtraInportDate"), "|||||");
        QVERIFY(f.notesBox()->isReadOnly());
        // A double click on the picture asks for a picture.
        QSignalSpy pictures(f.pane, &DetailsPane::pictureRequested);
        QTest::mouseDClick(f.child<QLabel>("imgThumb"), Qt::LeftButton);
        QCOMPARE(pictures.size(), 1);
    }

    // Notes are saved on leaving the box, to the disc they were typed for.
    void notesSavedToTheirDisc()
    {
        PaneFixture f(m_f);
        f.pane->showDisc("Photos");
        f.notesBox()->setFocus(); // leaving "Personal notes..." untouched stores nothing
        f.elsewhere->setFocus();
        QCOMPARE(f.notes.recordCount(), 0);
        f.typeNotes("Holiday 2004"); // typing replaces "Personal notes..."
        f.typeNotes(", Rome");
        QCOMPARE(f.storedNotes("Photos"), "Holiday 2004, Rome");
        f.pane->showDisc("Music");
        // Notes still being typed when another disc is shown are saved to their own disc.
        f.notesBox()->setFocus();
        QCoreApplication::processEvents();
        QTest::keyClicks(f.notesBox(), "Jazz");
        f.pane->showDisc("Photos");
        QCOMPARE(f.notesBox()->toPlainText(), "Holiday 2004, Rome");
        QCOMPARE(f.storedNotes("Music"), "Jazz");
        f.notesBox()->selectAll(); // an emptied box empties the stored notes
        f.typeNotes("\b");
        QCOMPARE(f.storedNotes("Photos"), "");
    }

    void pictures()
    {
        PaneFixture f(m_f);
        AddPictureDialog add(f.root, "Photos", {&f.messages});
        add.show();
        auto *ok = add.findChild<QPushButton *>("cmdOK");
        QTest::mouseClick(ok, Qt::LeftButton); // none chosen yet
        QVERIFY(writeAll(f.root + "/fake.jpg", "not a picture at all"));
        add.selectFile(f.root + "/fake.jpg");
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(f.messages.texts().last(), "Invalid picture type");
        QVERIFY(f.messages.boxes.size() == 2 && add.isVisible() &&
                !QFile::exists(picturePath(f.root, "Photos")));
        QTemporaryDir elsewhere;
        const QString bitmap = elsewhere.filePath("scan.bmp");
        QVERIFY(savePicture(bitmap, {800, 200}, "BMP"));
        add.selectFile(bitmap);
        QTest::mouseClick(ok, Qt::LeftButton);
        const QString stored = picturePath(f.root, "Photos"); // converted, not renamed
        QCOMPARE(QImageReader::imageFormat(stored) + ' ' +
                     QByteArray::number(QImage(stored).width()),
                 "jpeg 800");
        f.pane->showDisc("Photos"); // shown filling the box's width
        auto *thumb = f.child<QLabel>("imgThumb");
        QCOMPARE(thumb->pixmap().deviceIndependentSize().width(), thumb->width());
        AddPictureDialog remove(f.root, "Photos", {&f.messages});
        remove.show();
        QTest::mouseClick(remove.findChild<QCheckBox *>("chkRemovePicture"), Qt::LeftButton);
        QTest::mouseClick(remove.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QVERIFY(!QFile::exists(picturePath(f.root, "Photos")) && f.messages.boxes.size() == 2);
    }

    // A key that closes a dialog acts there only: its release reaches the list or the tree
    // beneath, which never had its press. Save list offers the catalog of the tree's
    // selection, as a new disc does.
    void keyClosingADialogStaysThere_data()
    {
        QTest::addColumn<QString>("command"); // empty: a lone release, as after a message box
        QTest::newRow("about") << "mnuAbout";
        QTest::newRow("message box") << "";
        QTest::newRow("save list over the tree") << "mnuSaveList";
    }
    void keyClosingADialogStaysThere()
    {
        QFETCH(QString, command);
        m_f.writeDisc("Rock", "Music", {{"a.mp3", "/m/a.mp3", 1, "d"}});
        m_f.writeDisc("Jazz", "Music", {{"b.mp3", "/m/b.mp3", 1, "d"}});
        QVERIFY(test::writeAll(catalogOrderPath(m_f.root()), "Films\r\nMusic\r\n"));
        auto form = m_f.open();
        form->tree().selectNode("Rock");
        form->listSelectedDisc();
        QWidget *beneath = &form->fileList();
        if (command == "mnuSaveList") {
            form->tree().selectNode("Jazz"); // as a drag into the search window leaves it
            beneath = &form->tree();
        } else if (!command.isEmpty()) {
            form->fileList().selectRow(0);
        }
        QString offered;
        test::onNextDialog<QDialog>([&offered](QDialog *d) {
            if (auto *name = d->findChild<QLineEdit *>("txtNewCDName")) {
                name->setText("Saved");
                offered = d->findChild<QComboBox *>("comCDCat")->currentText();
            }
            QTest::keyPress(d, Qt::Key_Return);
        });
        QSignalSpy saved(form.get(), &MainWindow::saveFinished);
        if (!command.isEmpty())
            action(*form, qPrintable(command))->trigger();
        QTest::keyRelease(beneath, Qt::Key_Return);
        QTRY_COMPARE(saved.count(), command == "mnuSaveList" ? 1 : 0);
        QCOMPARE(offered, command == "mnuSaveList" ? "Music" : "");
        QCOMPARE(m_f.desktop.documents, QStringList());
        QCOMPARE(m_f.messages.texts(), QStringList());
        QCOMPARE(names(form->listModel()), "a.mp3");
    }

    // The client area is stored and restored alike, and brought onto the screen.
    void placementKeptAndOnScreen_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("placed");
        const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
        QTest::newRow("kept") << QRect(41, 60, 500, 400) << QRect(41, 60, 500, 400);
        QTest::newRow("other monitor")
            << QRect(a.right() + 900, 40, 500, 400) << QRect(a.right() + 1 - 500, 40, 500, 400);
    }
    void placementKeptAndOnScreen()
    {
        QFETCH(QRect, stored);
        QFETCH(QRect, placed);
        const double twips = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        SettingsRecord settings;
        settings.setPlacementTwips(QRect(qRound(stored.x() * twips), qRound(stored.y() * twips),
                                         qRound(stored.width() * twips),
                                         qRound(stored.height() * twips)));
        QVERIFY(saveSettings(settingsPath(m_f.root()), settings).ok());
        QRect first;
        for (int start = 1; start <= 3; ++start) {
            MainWindow form(m_f.root(), m_f.services());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            // The window system may nudge a window to show its frame, once.
            const QRect shown = form.geometry();
            QVERIFY2((shown.topLeft() - placed.topLeft()).manhattanLength() <= 4,
                     qPrintable(QString("%1,%2").arg(shown.x()).arg(shown.y())));
            QCOMPARE(shown.size(), placed.size());
            QCOMPARE(first.isNull() ? shown : first, shown);
            first = shown;
            form.close();
        }
    }

    // Help and version need no display.
    void textOnlyOptions_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("shows");
        QTest::newRow("help") << u"--help"_s << u"--data-dir <DIR>"_s;
        QTest::newRow("version") << u"--version"_s << u"Orlith " ORLITH_VERSION ""_s;
    }
    void textOnlyOptions()
    {
        QFETCH(QString, option);
        QFETCH(QString, shows);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        QProcess gui;
        gui.setProcessEnvironment(env);
        gui.start(ORLITH_GUI, {option});
        QVERIFY(gui.waitForFinished(30000));
        QVERIFY(gui.exitStatus() == QProcess::NormalExit && gui.exitCode() == 0);
        QVERIFY(QString::fromUtf8(gui.readAllStandardOutput()).contains(shows));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
