// Orlith — desktop catalogue of removable media.
// A disc image chosen in the new-disc dialog and captured as the medium.
#include "core/capture/capture_task.h"
#include "core/store/store_edits.h"
#include "support/window_fixture.h"
#include "ui/capture/new_disc_dialog.h"

#include "core/capture/capture_fixtures.h"

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestNewDiscImages : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_f.reset();
        QVERIFY(writeAll(catalogOrderPath(m_f.root()), "Music\r\n"));
        m_image = m_f.root() + "/Holiday.iso"_L1;
        const QString src = m_f.root() + "/src"_L1;
        QVERIFY(makeFile(src + "/a.txt"_L1, "12345"));
        QVERIFY(makeFile(src + "/sub/b.txt"_L1, "123"));
        QVERIFY(makeImage(u"iso"_s, src, m_image));
    }

    // "Image file..." adds the image with its label (a cancelled choice adds nothing), the
    // capture lists its members as the disc's files, and an update offers the image again.
    void captureAndUpdate()
    {
        auto form = m_f.open();
        onNextDialog<NewDiscDialog>([this](NewDiscDialog *d) {
            auto *drives = d->findChild<QComboBox *>(u"comCDROMs"_s);
            auto *image = d->findChild<QPushButton *>(u"cmdImage"_s);
            QTest::mouseClick(image, Qt::LeftButton);
            QCOMPARE(drives->count(), 1);
            m_f.desktop.imageToChoose = m_image;
            QTest::mouseClick(image, Qt::LeftButton);
            QCOMPARE(drives->currentText(), m_image + "  [VOLID]"_L1);
            d->findChild<QLineEdit *>(u"txtNewCDName"_s)->setText(u"Holiday"_s);
            d->findChild<QComboBox *>(u"comCDCat"_s)->setCurrentText(u"Music"_s);
            d->checkAndAccept();
        });
        QSignalSpy finished(form.get(), &MainWindow::captureFinished);
        form->captureDisc();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(form->statusText(), u"Ready.  2 files inserted from CD/DVD."_s);
        QStringList paths;
        for (const FileEntry &e : stored(discFilePath(m_f.root(), u"Holiday"_s)))
            paths << e.path;
        paths.sort();
        QCOMPARE(paths, QStringList({m_image + "/a.txt"_L1, m_image + "/sub/b.txt"_L1}));
        CatalogueIndex index;
        NotesStore notes;
        StoreEdits edits(m_f.root(), index, notes);
        NewDiscDialog update({u"Music"_s}, edits, m_f.drives, m_f.services(),
                             /*virtualMode=*/false);
        update.setUpdateOf(u"Holiday"_s, u"Music"_s, m_image + "/sub"_L1);
        QVERIFY(update.drive() == m_image && update.driveIsFolder());
    }

private:
    WindowFixture m_f;
    QString m_image;
};

QTEST_MAIN(TestNewDiscImages)
#include "tst_new_disc_images.moc"
