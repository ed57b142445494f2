// Orlith — desktop catalogue of removable media.
// A medium mounted while the window is open, and one the new-disc dialog would catalogue twice.
#include "core/capture/medium_fixtures.h"
#include "core/capture/mount_watcher.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_info.h"
#include "core/store/notes_store.h"
#include "core/store/store_edits.h"
#include "support/window_fixture.h"
#include "ui/capture/new_disc_dialog.h"

using namespace orlith;
using namespace orlith::test;
using namespace Qt::StringLiterals;

class TestDiscRecognition : public QObject
{
    Q_OBJECT

    WindowFixture fx;
    QString m_image; // a FAT medium: label LABEL, UUID 1234-ABCD

    // Disc "Known" in catalog "Cat" recorded by "uuid", by "label" and capacity, or as an
    // "other" medium, beside disc "Other" without medium facts.
    void makeStore(const QString &kind)
    {
        DiscInfo info;
        info.label = u"LABEL"_s;
        info.fsType = u"vfat"_s;
        if (kind == "label")
            info.capacity = QFileInfo(m_image).size();
        else
            info.uuid = kind == "uuid" ? u"1234-ABCD"_s : u"0000-0001"_s;
        const QList<FileEntry> entries{{"a.txt", "/a.txt", 10, "1.1.2024 10:00:00"}};
        QVERIFY(writeDiscFile(discFilePath(fx.root(), u"Known"_s), u"Cat"_s, entries,
                              AtomicFile::Kind::StoreFile, info)
                    .ok());
        fx.writeDisc(u"Other"_s, u"Cat"_s, entries);
    }

private slots:
    void init()
    {
        fx.reset();
        m_image = makeFatImage(fx.root(), u"LABEL"_s, u"1234ABCD"_s);
        if (m_image.isEmpty())
            QSKIP("mkfs.vfat is missing (scripts/test.sh installs dosfstools)");
    }

    void mounted_data()
    {
        QTest::addColumn<QString>("kind"); // how the disc was recorded
        QTest::addColumn<QString>("status");
        const QString known = u"This medium is disc Known in catalog Cat."_s;
        QTest::newRow("by UUID") << u"uuid"_s << known;
        QTest::newRow("by label and capacity") << u"label"_s << known;
        QTest::newRow("another medium") << u"other"_s << QString();
    }

    void mounted()
    {
        QFETCH(QString, kind);
        QFETCH(QString, status);
        makeStore(kind);
        auto form = fx.open();
        form->tree().selectNode(u"Other"_s);
        const QString before = form->statusText();
        QSignalSpy checked(form.get(), &MainWindow::mediumChecked);
        form->findChild<MountWatcher *>(u"mountWatcher"_s)->reportMounted(m_image);
        QVERIFY(checked.wait(10000));
        const bool known = !status.isEmpty();
        QCOMPARE(form->statusText(), known ? status : before);
        QCOMPARE(form->tree().selectedKey() + ' ' + form->detailsPane().shownDisc() + ' ' +
                     label(*form, "lblMediumLabel"),
                 known ? u"Known Known LABEL"_s : u"Other Other "_s);
        QVERIFY(fx.messages.boxes.isEmpty());
    }

    // Typed into the details pane, the place goes into the disc file when the field is left.
    void placeTyped()
    {
        makeStore(u"uuid"_s);
        auto form = fx.open();
        form->tree().selectNode(u"Known"_s);
        form->showDiscDetails(0);
        QCOMPARE(label(*form, "lblMediumUuid"), u"1234-ABCD"_s);
        for (const auto &[name, text] :
             {std::pair{"txtLocation", "Box \"7\" <top>"}, std::pair{"txtDiscNumber", "A12"}}) {
            auto *edit = form->findChild<QLineEdit *>(QLatin1String(name));
            edit->setText(QString::fromUtf8(text));
            emit edit->editingFinished();
        }
        const DiscInfo saved = readDiscInfoFromFile(discFilePath(fx.root(), u"Known"_s));
        QCOMPARE(saved.location + '|' + saved.number + '|' + saved.uuid,
                 u"Box \"7\" <top>|A12|1234-ABCD"_s);
        QVERIFY(fx.messages.boxes.isEmpty());
    }

    // The medium chosen for a new disc is already catalogued: the user is asked first.
    void newDiscWarns_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<MessageSink::Answer>>("answers");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("known, No") << "uuid" << QList{MessageSink::Answer::No} << false;
        QTest::newRow("known, Yes") << "uuid" << QList{MessageSink::Answer::Yes} << true;
        QTest::newRow("unknown") << "other" << QList<MessageSink::Answer>{} << true;
    }

    void newDiscWarns()
    {
        QFETCH(QString, kind);
        QFETCH(QList<MessageSink::Answer>, answers);
        QFETCH(bool, accepted);
        makeStore(kind);
        CatalogueIndex index;
        index.load(fx.root());
        NotesStore notes;
        StoreEdits edits(fx.root(), index, notes);
        fx.messages.answers = answers;
        fx.desktop.folderToChoose = m_image;
        NewDiscDialog d({u"Cat"_s}, edits, fx.drives, fx.services(), /*virtualMode=*/false);
        nameDisc(d, u"Again"_s, u"Cat"_s);
        auto *drives = d.findChild<QComboBox *>(u"comCDROMs"_s);
        emit drives->activated(drives->count() - 1); // "Other folder..."
        QCOMPARE(d.drive(), m_image);
        d.checkAndAccept();
        QCOMPARE(d.result() == QDialog::Accepted, accepted);
        QCOMPARE(fx.messages.texts().join(""),
                 kind == "uuid" ? u"This medium is already catalogued as disc Known in catalog "
                                  u"Cat. Catalog it again?"_s
                                : QString());
    }
};

QTEST_MAIN(TestDiscRecognition)
#include "tst_disc_recognition.moc"
