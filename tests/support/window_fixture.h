// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/capture/drives.h"
#include "core/core_fixtures.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "support/dialogs.h"
#include "support/recording_services.h"
#include "support/test_files.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/file_list_model.h"
#include "ui/main/main_window.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace orlith::test {

// A fresh store, recorded messages and desktop, fake drives, and the main window on them.
struct WindowFixture
{
    std::unique_ptr<QTemporaryDir> dir;
    RecordingMessages messages;
    FakeDesktop desktop;
    FakeDriveProvider drives;

    // Call from init(): a new empty store and nothing recorded.
    void reset()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(ensureStoreFolders(root()).ok());
        messages = RecordingMessages();
        desktop = FakeDesktop();
        drives.clear();
    }
    QString root() const { return dir->path(); }
    UiServices services() { return {&messages, &desktop, &drives}; }
    std::unique_ptr<MainWindow> open()
    {
        auto form = std::make_unique<MainWindow>(root(), services());
        form->resize(900, 600);
        form->show();
        return form;
    }
    void writeDisc(const QString &name, const QString &catalog,
                   const QList<FileEntry> &entries = {})
    {
        QVERIFY(writeDiscFile(discFilePath(root(), name), catalog, entries).ok());
    }
    // Runs orlith-cli on the store; its standard output goes to `out`.
    int cli(const QStringList &args, QString *out = nullptr) const
    {
        const CliRun r = test::cli(root(), args);
        if (out)
            *out = r.out;
        return r.code;
    }
    // What orlith-cli prints on the store, or "(failed)".
    QString cliOut(const QStringList &args) const
    {
        const CliRun r = test::cli(root(), args);
        return r.code == 0 ? r.out : QStringLiteral("(failed)");
    }
};

inline QAction *action(QWidget &window, const char *name)
{
    return window.findChild<QAction *>(QString::fromLatin1(name));
}

inline QString label(QWidget &window, const char *name)
{
    return window.findChild<QLabel *>(QString::fromLatin1(name))->text();
}

// The listed files' names in list order, one space between.
inline QString names(const FileListModel &model)
{
    QStringList out;
    for (const FileRow &r : model.rows())
        out << r.name();
    return out.join(u' ');
}

} // namespace orlith::test
