// Orlith — desktop catalogue of removable media.
#include "ui/main/add_picture_dialog.h"
#include "ui/main/details_pane_widget.h"
#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "support/recording_services.h"
#include "support/test_files.h"

#include <QtTest>
#include <QtWidgets>

using namespace orlith;
using orlith::test::readAll;
using orlith::test::writeAll;

namespace {

bool savePicture(const QString &path, QSize size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image.save(path, format);
}

// A program folder with two discs, an open notes store, and a pane in an active window
// beside a line edit that can take the focus away from the notes box.
struct Fixture
{
    QTemporaryDir dir;
    QString root = dir.path();
    NotesStore notes;
    test::RecordingMessages messages;
    QWidget window;
    DetailsPane *pane = nullptr;
    QLineEdit *elsewhere = nullptr;

    Fixture()
    {
        QVERIFY(ensureStoreFolders(root).ok());
        QVERIFY(notes.OpenNotesStore(notesStorePath(root)));
        QVERIFY(writeDiscFile(discFilePath(root, "Photos"), "Home",
                              {{"a.jpg", "/m/a.jpg", 1536, "1.1.2004 10:00:00"},
                               {"b.mp3", "/m/b.mp3", 10, "1.1.2004 10:00:00"},
                               {"c.txt", "/m/c.txt", 0, "1.1.2004 10:00:00"}})
                    .ok());
        QVERIFY(writeDiscFile(discFilePath(root, "Music"), "Home", {}).ok());
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
    bool showsNoPicture()
    {
        return child<QLabel>("lblNoPicture")->isVisibleTo(pane) &&
               child<QLabel>("lblDoubleClick")->isVisibleTo(pane) &&
               child<QLabel>("imgThumb")->pixmap().isNull();
    }

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
        notes.ResetNotesSearch();
        return notes.FindNotesRecord(disc) == NotesStore::kFound ? notes.notes() : "<none>";
    }
};

} // namespace

class TestDetailsPane : public QObject
{
    Q_OBJECT

private slots:
    void discAndFileFacts()
    {
        Fixture f;
        const QDateTime changed(QDate(2004, 3, 14), QTime(22, 10, 5));
        QFile disc(discFilePath(f.root, "Photos"));
        QVERIFY(disc.open(QIODevice::ReadWrite));
        QVERIFY(disc.setFileTime(changed, QFileDevice::FileModificationTime));
        disc.close();
        f.pane->showDisc("Photos");
        QCOMPARE(f.label("lblExtraNumOfFiles") + ' ' + f.label("lblExtraInportDate"),
                 "3 " + formatDateText(changed));
        QVERIFY(f.label("lblExtraFileName").isEmpty());
        QVERIFY(f.child<QLabel>("imgIcon")->pixmap().isNull());
        QCOMPARE(f.notesBox()->toPlainText(), "Personal notes...");
        f.pane->showFile({"a.jpg", "/m/a.jpg", 1536, "1.1.2004 10:00:00", "Music"});
        QStringList facts;
        for (const char *name : {"lblExtraCDName", "lblExtraNumOfFiles", "lblExtraFileName",
                                 "lblExtraFileSize", "lblExtraFileCreationTime"})
            facts << f.label(name);
        QCOMPARE(facts, QStringList({"Music", "0", "a.jpg", "1.50 Kb", "1.1.2004 10:00:00"}));
        QVERIFY(!f.child<QLabel>("imgIcon")->pixmap().isNull());
        f.pane->ClearDiscDetails();
        for (const char *name : {"lblExtraCDName", "lblExtraNumOfFiles", "lblExtraInportDate",
                                 "lblExtraFileName", "lblExtraFileSize", "lblExtraFileCreationTime"})
            QVERIFY2(f.label(name).isEmpty(), name);
        QVERIFY(f.notesBox()->toPlainText().isEmpty() && f.notesBox()->isReadOnly());
    }

    void pictureStates()
    {
        Fixture f;
        const QString picture = picturePath(f.root, "Photos");
        f.pane->showDisc("Photos");
        QVERIFY(f.showsNoPicture());
        QVERIFY(savePicture(picture, {800, 200}, "PNG"));
        f.pane->showDisc("Photos");
        QVERIFY(!f.showsNoPicture());
        auto *thumb = f.child<QLabel>("imgThumb");
        const QSizeF shown = thumb->pixmap().deviceIndependentSize();
        QCOMPARE(shown.width(), thumb->width()); // fills the box's width, keeps proportions
        QVERIFY(qAbs(shown.height() - thumb->width() / 4.0) <= 1);
        // Another disc's facts replace the picture too, and clearing removes it.
        f.pane->showFile({"x", "/x", 1, "d", "Music"});
        QVERIFY(f.showsNoPicture());
        f.pane->showDisc("Photos");
        f.pane->ClearDiscDetails();
        QVERIFY(f.showsNoPicture());
        QVERIFY(savePicture(picture, {40, 60}, "BMP"));
        f.pane->UcitajSliku("Photos");
        QCOMPARE(thumb->pixmap().size(), QSize(40, 60));
        QVERIFY(writeAll(picture, readAll(picture).left(20)));
        f.pane->UcitajSliku("Photos");
        QVERIFY(f.showsNoPicture());
    }

    void notesSavedOnLeavingTheBox()
    {
        Fixture f;
        f.pane->showDisc("Photos");
        // Leaving "Personal notes..." untouched stores nothing.
        f.notesBox()->setFocus();
        f.elsewhere->setFocus();
        QCOMPARE(f.notes.recordCount(), 0);
        // Typing replaces "Personal notes...".
        f.typeNotes("Holiday 2004");
        QCOMPARE(f.storedNotes("Photos"), "Holiday 2004");
        f.typeNotes(", Rome");
        QCOMPARE(f.storedNotes("Photos"), "Holiday 2004, Rome");
        // An emptied box stores empty notes.
        f.notesBox()->setFocus();
        QTest::keyClick(f.notesBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(f.notesBox(), Qt::Key_Delete);
        f.elsewhere->setFocus();
        QCOMPARE(f.storedNotes("Photos"), "");
        QCOMPARE(f.notes.recordCount(), 1);
    }

    void notesFollowTheShownDisc()
    {
        Fixture f;
        f.pane->showDisc("Photos");
        f.typeNotes("Scans");
        f.pane->showFile({"b.mp3", "/m/b.mp3", 10, "d", "Music"});
        QCOMPARE(f.notesBox()->toPlainText(), "Personal notes...");
        // Notes still being typed when another disc is shown are saved to their own disc.
        f.notesBox()->setFocus();
        QCoreApplication::processEvents();
        QTest::keyClicks(f.notesBox(), "Jazz");
        f.pane->showDisc("Photos");
        QCOMPARE(f.notesBox()->toPlainText(), "Scans");
        QCOMPARE(f.storedNotes("Music"), "Jazz");
        f.pane->showDisc("Music");
        QCOMPARE(f.notesBox()->toPlainText(), "Jazz");
    }

    void notesTooLongAreReported()
    {
        Fixture f;
        const QString disc(200, u'd');
        QVERIFY(writeDiscFile(discFilePath(f.root, disc), "Home", {}).ok());
        f.pane->showDisc(disc);
        f.notesBox()->setFocus();
        f.notesBox()->selectAll();
        f.notesBox()->insertPlainText(QString(2100, u'n'));
        QCOMPARE(f.notesBox()->toPlainText().size(), DetailsPane::kMaxNotesLength);
        f.elsewhere->setFocus();
        QCOMPARE(f.messages.boxes[0].kind + f.messages.boxes[0].title, "errorError");
        QCOMPARE(f.notes.recordCount(), 0);
        f.notesBox()->setFocus(); // told once, not at every focus change
        f.elsewhere->setFocus();
        QCOMPARE(f.messages.boxes.size(), 1);
    }

    void toggleAndDoubleClick()
    {
        Fixture f;
        QSignalSpy toggles(f.pane, &DetailsPane::toggleRequested);
        QSignalSpy pictures(f.pane, &DetailsPane::pictureRequested);
        QTest::mouseClick(f.child<QToolButton>("picUpDown"), Qt::LeftButton);
        QCOMPARE(toggles.size(), 1);
        QTest::mouseDClick(f.child<QLabel>("imgThumb"), Qt::LeftButton);
        QTest::mouseDClick(f.child<QWidget>("frmExtraPic"), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(pictures.size(), 2);
        f.pane->setExpandedLook(false);
        QVERIFY(!f.child<QLabel>("lblExtraCDName")->isVisible());
        QVERIFY(f.child<QToolButton>("picUpDown")->isVisible());
    }

    void addPictureMessages()
    {
        Fixture f;
        frmAddPicture dialog(f.root, "Photos", {&f.messages});
        QCOMPARE(dialog.currentFolder(), f.root);
        dialog.show();
        auto *ok = dialog.findChild<QPushButton *>("cmdOK");
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(f.messages.texts(), QStringList{"You must chose one picture"});
        QCOMPARE(f.messages.boxes[0].kind + f.messages.boxes[0].title, "informationError");
        QVERIFY(dialog.isVisible());
        const QString fake = f.root + "/fake.jpg";
        QVERIFY(writeAll(fake, "not a picture at all"));
        dialog.selectFile(fake);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(f.messages.texts().last(), "Invalid picture type");
        QVERIFY(dialog.isVisible());
        QVERIFY(!QFile::exists(picturePath(f.root, "Photos")));
    }

    void addAndRemovePicture()
    {
        Fixture f;
        QTemporaryDir elsewhere;
        const QString bitmap = elsewhere.filePath("scan.bmp");
        QVERIFY(savePicture(bitmap, {30, 20}, "BMP"));
        frmAddPicture add(f.root, "Photos", {&f.messages});
        add.show();
        add.selectFile(bitmap);
        QCOMPARE(add.currentFolder(), elsewhere.path());
        QTest::mouseClick(add.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(add.result(), int(QDialog::Accepted));
        QCOMPARE(readAll(picturePath(f.root, "Photos")), readAll(bitmap)); // unchanged under .jpg
        f.pane->showDisc("Photos");
        QVERIFY(!f.showsNoPicture());
        frmAddPicture remove(f.root, "Photos", {&f.messages});
        remove.show();
        QTest::mouseClick(remove.findChild<QCheckBox *>("chkRemovePicture"), Qt::LeftButton);
        QVERIFY(!remove.findChild<QWidget *>("Dir1")->isEnabled());
        QVERIFY(!remove.findChild<QWidget *>("File1")->isEnabled());
        QTest::mouseClick(remove.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(remove.result(), int(QDialog::Accepted));
        QVERIFY(!QFile::exists(picturePath(f.root, "Photos")));
        QVERIFY(f.messages.boxes.isEmpty());
    }

    void kopirajSlikuReplacesExactly()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("new.jpg");
        const QString target = dir.filePath("old.jpg");
        QVERIFY(writeAll(source, QByteArray("\xFF\xD8 short\0\r\n", 11)));
        QVERIFY(writeAll(target, QByteArray(200000, 'o')));
        QVERIFY(frmAddPicture::KopirajSliku(source, target));
        QCOMPARE(readAll(target), readAll(source));
        QString error;
        QVERIFY(!frmAddPicture::KopirajSliku(dir.filePath("missing.jpg"), target, &error));
        QVERIFY(error.contains("missing.jpg"));
        QCOMPARE(readAll(target), readAll(source));
    }
};

QTEST_MAIN(TestDetailsPane)
#include "tst_details_pane.moc"
