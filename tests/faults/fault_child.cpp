// Orlith — desktop catalogue of removable media.
// The child side of the fault tests: one store write, run in a process of its own so that
// the test can preload the failing-write shim into it. Prints every message the user would
// see, one "box: TITLE: TEXT" or "error: TEXT" line each (newlines as " / "); exits 0 when
// the write went through, 1 when it failed.
#include "fault_child.h"

#include "core/capture/capture_job.h"
#include "ui/capture/new_disc_dialog.h"
#include "core/capture/store_edits.h"
#include "core/export/export_job.h"
#include "core/settings/settings_record.h"
#include "ui/main/add_picture_dialog.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/form1_window.h"
#include "core/store/catalogue_index.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"
#include "support/dialogs.h"
#include "support/recording_services.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QPlainTextEdit>

#include <cstdio>
#include <functional>
#include <map>

namespace orlith::test {

namespace {

void print(const char *kind, const QString &text)
{
    std::printf("%s: %s\n", kind, qPrintable(QString(text).replace(QLatin1Char('\n'), " / ")));
}

int report(const QString &error)
{
    if (error.isEmpty())
        return 0;
    print("error", error);
    return 1;
}

int reportBoxes(const RecordingMessages &messages)
{
    for (const RecordingMessages::Box &b : messages.boxes)
        print("box", b.title + QStringLiteral(": ") + b.text);
    return messages.boxes.isEmpty() ? 0 : 1;
}

// The notes store is opened once per child, so a failed write meets it as the program does.
QString notesOp(const QString &data, const std::function<bool(NotesStore &)> &op)
{
    NotesStore notes;
    (void)notes.OpenNotesStore(notesStorePath(data));
    if (!notes.isOpen())
        return notes.lastError();
    return op(notes) ? QString() : notes.lastError();
}

bool findRecord(NotesStore &notes, const QString &disc)
{
    notes.ResetNotesSearch();
    return notes.FindNotesRecord(disc) == NotesStore::kFound;
}

// Form1 over the data folder with recorded boxes and one fake drive: the media folder.
struct Window
{
    Window(const QString &data, const QString &media)
    {
        drives.addDrive(media, QStringLiteral("MEDIA"));
        form = std::make_unique<Form1>(data, UiServices{&messages, &desktop, &drives});
        form->show();
    }
    RecordingMessages messages;
    FakeDesktop desktop;
    FakeDriveProvider drives;
    std::unique_ptr<Form1> form;
};

using Op = std::function<int(const QString &data, const QString &media)>;

Op exportOp(ExportFormat format)
{
    return [format](const QString &data, const QString &) {
        const QString out = data + "/Old" + exportExtension(format);
        return report(exportDiscs(format, out, cdsFolder(data), {"Old.xml"}, {}).error);
    };
}

const std::map<QString, Op> &ops()
{
    static const std::map<QString, Op> table = {
        // Plain QFile writes in and out of the failing folder: shows what the shim does.
        {"probe",
         [](const QString &data, const QString &media) {
             for (const QString &folder : {data, media}) {
                 QFile f(folder + "/probe.bin");
                 const bool ok = f.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                                 writeAll(f, QByteArray(1000, 'x'));
                 const QString reason = ok ? QStringLiteral("written") : f.errorString();
                 f.close();
                 print("probe", QStringLiteral("%1: %2 bytes, %3")
                                    .arg(QFileInfo(folder).fileName())
                                    .arg(QFileInfo(f).size())
                                    .arg(reason));
             }
             return 0;
         }},
        {"disc-file",
         [](const QString &data, const QString &) {
             const QList<FileEntry> entries(50, {"new.txt", "/media/new.txt", 1, "1.1.2004"});
             return report(writeDiscFile(discFilePath(data, "Old"), "Music", entries).error);
         }},
        // The index cache is written quietly: its failure must cost nothing but itself. A
        // clock a minute on lets the fresh disc files be kept, so that it is written at all.
        {"index-cache",
         [](const QString &data, const QString &) {
             CatalogueIndex index;
             index.loadDiscs(cdsFolder(data), data + QLatin1Char('/') + QLatin1String(kIndexCacheFile),
                             (QDateTime::currentMSecsSinceEpoch() + 60'000) * 1'000'000);
             print("discs", QString::number(index.discCount()));
             return index.discCount() == 2 && index.skipped().isEmpty() ? 0 : 1;
         }},
        {"capture",
         [](const QString &data, const QString &media) {
             CatalogueIndex index;
             index.load(data);
             CaptureJob job({data, "New", "Music", media});
             return report(captureFolder(job, index).error);
         }},
        {"rename-catalog",
         [](const QString &data, const QString &) {
             CatalogueIndex index;
             index.load(data);
             NotesStore notes;
             const EditResult r = StoreEdits(data, index, notes).rename("Music", "Songs");
             for (const QString &w : r.warnings)
                 print("warning", w);
             return report(r.message);
         }},
        {"delete-disc",
         [](const QString &data, const QString &) {
             CatalogueIndex index;
             index.load(data);
             NotesStore notes;
             const EditResult r = StoreEdits(data, index, notes).deleteDisc("Old");
             for (const QString &w : r.warnings)
                 print("warning", w);
             return report(r.message);
         }},
        {"new-catalog",
         [](const QString &data, const QString &) {
             CatalogueIndex index;
             index.load(data);
             NotesStore notes;
             return report(StoreEdits(data, index, notes).newCatalog("Films").message);
         }},
        {"notes-update",
         [](const QString &data, const QString &) {
             return report(notesOp(data, [](NotesStore &n) {
                 if (!findRecord(n, "Third"))
                     return false;
                 n.setNotes("Third, edited");
                 return n.UpdateNotesRecord();
             }));
         }},
        {"notes-append",
         [](const QString &data, const QString &) {
             return report(notesOp(data, [](NotesStore &n) {
                 n.setRecord("Other", "Notes on the other disc");
                 return n.AppendNotesRecord();
             }));
         }},
        {"notes-delete",
         [](const QString &data, const QString &) {
             return report(notesOp(data, [](NotesStore &n) {
                 return findRecord(n, "Old") && n.DeleteNotesRecord(0);
             }));
         }},
        {"picture",
         [](const QString &data, const QString &media) {
             QString error;
             (void)frmAddPicture::KopirajSliku(media + "/photo.jpg", picturePath(data, "Old"),
                                               &error);
             return report(error);
         }},
        // Not store files, but writes in the same folder meet the same disk.
        {"export-csv", exportOp(ExportFormat::Csv)},
        {"export-xls", exportOp(ExportFormat::Xls)},
        {"settings",
         [](const QString &data, const QString &) {
             SettingsRecord record;
             if (StoreResult r = LoadSettings(settingsPath(data), record); !r)
                 return report(r.error);
             record.archiveDaysSetting = "30";
             return report(SaveSettings(settingsPath(data), record).error);
         }},
        {"capture-window",
         [](const QString &data, const QString &media) {
             Window w(data, media);
             onNextDialog<frmNewCD>([](frmNewCD *d) {
                 d->findChild<QLineEdit *>("txtNewCDName")->setText("New");
                 d->findChild<QComboBox *>("comCDCat")->setCurrentText("Music");
                 d->Command1Click();
             });
             QSignalSpy finished(w.form.get(), &Form1::captureFinished);
             w.form->captureDisc();
             if (w.form->captureRunning() && !finished.wait(60000))
                 print("error", "the capture did not finish");
             if (w.form->tree().findNode("New"))
                 print("error", "the tree shows the disc that was not written");
             return reportBoxes(w.messages);
         }},
        {"notes-window",
         [](const QString &data, const QString &media) {
             Window w(data, media);
             w.form->detailsPane().showDisc("Other");
             auto *box = w.form->findChild<QPlainTextEdit *>("txtPersonalDiscription");
             box->selectAll();
             box->insertPlainText("Notes typed in the window");
             w.form->detailsPane().saveNotes();
             if (box->toPlainText() != "Notes typed in the window")
                 print("error", "the notes box lost the notes that were not saved");
             return reportBoxes(w.messages);
         }},
        // Shut-down writes katalog.ini and Data.ini.
        {"close-window",
         [](const QString &data, const QString &media) {
             Window w(data, media);
             w.form->close();
             return reportBoxes(w.messages);
         }},
    };
    return table;
}

} // namespace

int runFaultChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto op = args.size() == 5 ? ops().find(args[2]) : ops().end();
    if (op == ops().end()) {
        std::fprintf(stderr, "usage: %s --child OP DATA MEDIA\n", argv[0]);
        return 2;
    }
    const int code = op->second(args[3], args[4]);
    std::fflush(stdout);
    return code;
}

} // namespace orlith::test
