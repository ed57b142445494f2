// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/export/export_job.h"
#include "core/settings/settings_record.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/disc_identity.h"
#include "core/store/file_categories.h"
#include "core/store/index_loader.h"
#include "core/store/notes_store.h"
#include "ui/capture/capture_progress_dialog.h"
#include "ui/common/search_host.h"
#include "ui/common/ui_services.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QFileSystemWatcher;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTableView;
class QTimer;
class QTreeWidgetItem;

namespace orlith {

class CaptureTask;
struct MediumMatch;
class FileRow;
class FolderScope;
class ListSearch;
class NewDiscDialog;
class SaveListTask;
class SearchIndexUpdater;
struct SearchCriteria;
class CatalogTree;
class DetailsPane;
class FirstStartHint;
class StoreEdits;
class FileListModel;

// The main window: catalog tree on the left, file list on the right with the details pane
// under it, tool buttons and quick-find box above, status bar below. Start-up runs in the
// constructor in a fixed order (index, settings, details pane state, placement, counters,
// extension table, notes store); shut-down in closeEvent writes katalog.ini and Data.ini.
class MainWindow : public QMainWindow, public SearchHost
{
    Q_OBJECT

public:
    // The start-up reminders run this long after the window is built.
    static constexpr int kTimer4IntervalMs = 1000;
    // Layout lengths, in logical pixels.
    static constexpr int kDetailsExpandedHeight = 200;
    static constexpr int kDetailsCollapsedHeight = 15;
    static constexpr int kSplitterMinLeft = 13;
    static constexpr int kSplitterMinRight = 33;

    explicit MainWindow(const QString &programFolder, UiServices services = {},
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    const QString &programFolder() const { return m_programFolder; }
    CatalogueIndex &index() { return m_index; }
    SettingsRecord &settings() { return m_settings; }
    NotesStore &notes() { return m_notes; }
    const ExtensionTable &extensionTable() const { return m_extensions; }
    FileListModel &listModel() { return *m_listModel; }
    CatalogTree &tree() { return *m_tree; }
    QTableView &fileList() { return *m_list; }
    DetailsPane &detailsPane() { return *m_details; }
    UiServices services() const { return m_services; }

    QString statusText() const;
    void setStatusText(const QString &text);

    // The catalog and disc counters, set at start.
    void recountCatalogsAndDiscs();
    // Lists the selected disc's entries into the file list.
    void listSelectedDisc();
    // 0: the disc selected in the tree; 1: the list's current row and its disc.
    void showDiscDetails(int mode);
    // Colours every list row from the extension table as it stands.
    void colorRows();
    void buildExtensionTable();

    // The details-pane toggle: expanded or collapsed.
    bool detailsExpanded() const { return m_detailsExpanded; }
    void toggleDetails();
    // Left edge of the splitter between the tree and the list, in pixels.
    int splitterLeft() const;
    // Moves the splitter to `newLeft` pixels when that keeps both sides wide enough, as a
    // drag would.
    bool moveSplitter(int newLeft);

    // Runs the one-shot start-up job now (the reminder hook, then the tip of the day).
    void runStartupReminders();
    // What the start-up job runs before the tip; the archive reminder plugs in here.
    void setStartupReminder(std::function<void()> reminder)
    {
        m_startupReminder = std::move(reminder);
    }

    // Store commands (main_window_capture.cpp): the "CD/DVD..." capture, "Catalog...", rename and
    // delete of the selected node. The capture runs on a worker: its rows reach the list in
    // batches and captureFinished() follows its end, whether done, failed or cancelled.
    void captureDisc();
    void newCatalog();
    void renameSelected();
    void deleteSelected();
    // Reads the store again and shows it: the tree (keeping the selection and the open
    // catalogs where they still exist), the counters and the shown disc's details. The
    // window watches cds/, katalog.ini and usrdisc.usr and does this within a second of a
    // change made elsewhere (another window, orlith-cli); its own edits do it at once.
    void refreshFromStore();
    bool captureRunning() const;
    // Stops a running capture; it writes nothing.
    void cancelCapture();
    CaptureProgressDialog *progressWindow() const { return m_progress; }

    // Keeping discs true (main_window_update.cpp). "Update CD/DVD...": the selected disc's drive
    // or folder is walked again as a capture walks it, then the comparison window shows
    // what changed and "Apply" rewrites the disc file; captureFinished() follows the
    // window. "Find duplicates" and "Files on one disc only" fill the list on a worker
    // for the tree's selected scope, as quick find does; listSearchFinished() follows.
    void updateSelectedDisc();
    // "Verify CD/DVD..." (main_window_verify.cpp): the disc's medium, chosen as for an update,
    // read whole in the verify window; the store is not changed.
    void verifySelectedDisc();
    void findDuplicateFiles();
    void findSingleCopyFiles();
    // The comparison window while it is open.
    QWidget *updateWindow() const { return m_updateWindow; }

    // List commands, as the menus and keys run them.
    void openSelectedFile();
    void openSelectedLocation();
    void copySelectedFiles();
    void removeSelectedItems();
    void clearList();
    void autoSizeColumns();

    // Quick find (main_window_find.cpp): scope from the tree's selected node, then searchIntoList.
    void findFiles();
    const QStringList &lstCD() const { return m_findDiscs; }

    // Fills the list with the hits over `discs`, in order, on a worker: the list is emptied,
    // the status bar shows "Searching <disc>.xml" while each disc is read and "Found  N
    // files." at the end, then the search's finished() and listSearchFinished() follow. A
    // search already running is dropped first, so a new one starts over.
    ListSearch *searchIntoList(const QStringList &discs, const SearchCriteria &criteria) override;
    bool listSearchRunning() const override;
    // Drops the running search; the rows found so far stay.
    void stopListSearch() override;

    // The rest of what the search window asks of this window.
    QWidget *searchHostWindow() override { return this; }
    QStringList discsInOrder() const override;
    QStringList discsOf(const QString &catalog) const override;
    NodeKind selectedNodeKind() const override;
    void setNodeDragging(bool on) override;

    // Save list as a disc (main_window_find.cpp): the new-disc dialog in "Virtual" mode, then the
    // rows as they stand are written on a worker; saveFinished() follows.
    void saveList();
    bool saveRunning() const;

    // The advanced search window (modeless, one at a time).
    void showSearch();
    QWidget *searchWindow() const;

    // Export wizards (main_window_export.cpp), modal, one per format.
    void exportSql();
    void exportExcel();
    void exportXlsx();
    // Runs the format's wizard over the rows of the list, in their order.
    void exportList(ExportFormat format);
    void exportHtml();
    void exportCsv();
    void exportText();

    // Archive of disc files to a zip and restore from one (main_window_archive.cpp).
    void archiveDiscs();
    void restoreDiscs();

    // Options window, statistics and the archive reminder (main_window_options.cpp).
    void showOptions();
    void showStatistics();
    void installArchiveReminder();

    // Data.ini keeps the window's placement in twips (1/1440 inch).
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

signals:
    // Each follows the end of its job, once the window has shown what it brought.
    void captureFinished();
    void listSearchFinished();
    // A newly mounted medium has been probed and matched (known or not).
    void mediumChecked();
    void saveFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Delegated to first, so the store's reading starts before the window's base is built
    // and overlaps all of its construction (measured: about 5 ms on 2,000 discs).
    explicit MainWindow(IndexLoader store, UiServices services, QWidget *parent);
    void buildWidgets();
    void buildMenus();   // main_window_menus.cpp
    void buildToolBar(); // main_window_menus.cpp
    void buildWindowKeys();
    void restorePlacement();
    void storePlacement();
    void layoutDetails();
    void setColumnRatios();
    // The layout kept from the last run (layout.ini), and written back at shut-down.
    void restoreLayout();
    void storeLayout();
    void onTreeClicked();
    void onTreeDoubleClicked();
    void onTreeEnter();
    void onListDoubleClicked();
    void showListPopup(const QPoint &globalPos);
    void showTreePopup(const QPoint &globalPos);
    void updateMenuState();
    void showTip();
    void showAbout();
    void openHelp();
    void openHomePage();
    void addPicture();
    int selectedListRow() const;
    QStringList selectedPaths() const;
    [[nodiscard]] bool shutDown();
    void showCaptureProgress(const QString &text, int percent, const QString &status);
    // Shows the progress window and runs `task`, which the window then owns.
    void startCapture(CaptureTask *task);
    void finishCapture(const StoreResult &result);
    void finishUpdate(const CaptureTask &task, const StoreResult &result);
    // The new-disc dialog with "Look inside archives" as last chosen; the choice is kept.
    bool runDriveDialog(NewDiscDialog &dialog);
    // Update and Verify start alike: the tree's disc, its stored entries, and the drive
    // choice offering the drive it was captured from. Null (having said why) without one.
    std::unique_ptr<NewDiscDialog>
    driveDialogForSelectedDisc(QString &disc, QList<FileEntry> &stored, DiscIdentity &readAs);
    // The catalog of the tree's selection: the selected catalog, or the selected disc's.
    QString selectedCatalog() const;
    // The discs of the tree's selected node and, for a folder node, the folder.
    bool scopeOfSelection(QStringList &discs, FolderScope &folder);
    // Folders inside a disc (main_window_folders.cpp): a disc node's folders, read when it
    // is first expanded, and the files directly in the selected folder.
    void loadDiscFolders(QTreeWidgetItem *disc);
    void listSelectedFolder();
    // Empties the list and runs `search` (now owned by the window) into it.
    ListSearch *startListSearch(ListSearch *search);
    void finishSave(const StoreResult &result);
    void stopJobs();
    void setBusy(bool busy);
    void watchStore();
    // Mounts while the window is open (main_window_media.cpp): a medium the catalogue
    // knows, by UUID or by label and capacity, has its disc selected and named in the status.
    void watchMounts();
    void recogniseMedium(const QString &path);
    void showRecognisedMedium(const MediumMatch &match);
    // Says in the status bar which disc files the index could not show, or takes back an
    // earlier such text once every file shows.
    void showSkippedDiscs();
    // Whether a key released over the list or the tree was also pressed there; a press
    // that closed a dialog went to that dialog.
    bool keyReleaseOwned(QObject *watched, const QKeyEvent &release);

    QString m_programFolder;
    UiServices m_services;
    CatalogueIndex m_index;
    SettingsRecord m_settings;
    ExtensionTable m_extensions;
    NotesStore m_notes;

    CatalogTree *m_tree = nullptr;
    QSplitter *m_splitter = nullptr;
    QSplitter *m_listSplitter = nullptr; // the list over the details pane
    QTableView *m_list = nullptr;
    FileListModel *m_listModel = nullptr;
    DetailsPane *m_details = nullptr;
    FirstStartHint *m_hint = nullptr;
    QWidget *m_central = nullptr;
    QLineEdit *m_find = nullptr;
    QLabel *m_numCat = nullptr;
    QLabel *m_numCD = nullptr;
    QLabel *m_status = nullptr;
    QMenu *m_treePopup = nullptr;
    QMenu *m_listPopup = nullptr;
    QTimer *m_timer4 = nullptr;
    std::unique_ptr<StoreEdits> m_edits;
    QPointer<CaptureProgressDialog> m_progress;
    std::function<void()> m_startupReminder;

    // The running jobs, children of this window; each is null once its job has ended.
    QPointer<CaptureTask> m_capture;
    QPointer<ListSearch> m_listSearch;
    QPointer<SaveListTask> m_save;
    QPointer<QWidget> m_updateWindow;
    QPointer<SearchIndexUpdater> m_indexUpdater;

    QStringList m_findDiscs; // the discs the last quick find searched
    QPointer<QWidget> m_searchWindow;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_refreshTimer = nullptr;

    bool m_detailsExpanded = true;
    bool m_shutDownDone = false;
    bool m_keepColumnWidths = false; // while the splitter moves
    // Column widths from the last run, which the list keeps until the window is first
    // resized after it is shown; then the columns share its width again.
    QList<int> m_keptColumns;
    int m_detailsHeight = kDetailsExpandedHeight; // while expanded
    // The list or tree that had the last key press, and that key, until its release.
    QObject *m_keyPressedIn = nullptr;
    int m_pressedKey = 0;
};

} // namespace orlith
