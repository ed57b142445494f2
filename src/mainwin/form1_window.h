// Orlith — desktop catalogue of removable media.
#pragma once

#include "capture/import_progress_dialog.h"
#include "extras/settings_record.h"
#include "mainwin/ui_services.h"
#include "store/catalogue_index.h"
#include "store/disc_file.h"
#include "store/file_categories.h"
#include "store/index_loader.h"
#include "store/notes_store.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class QTimer;

namespace orlith {

class CaptureJob;
class CatalogTree;
class DetailsPane;
class StoreEdits;
class FileListModel;
class SplitterBar;

// The main window: catalog tree on the left, file list on the right with the details pane
// under it, tool buttons and quick-find box above, status bar below. Start-up runs in the
// constructor in a fixed order (index, settings, details pane state, placement, counters,
// extension table, notes store); shut-down in closeEvent writes katalog.ini and Data.ini.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    // The start-up reminders run this long after the window is built.
    static constexpr int kTimer4IntervalMs = 1000;
    // Quick find reads one disc file per Timer2 tick.
    static constexpr int kTimer2IntervalMs = 500;
    // Saving the list copies one slice of rows per Timer3 tick.
    static constexpr int kTimer3IntervalMs = 1000;
    static constexpr qsizetype kSaveSliceSize = 500;
    // Layout lengths, in twips (1/1440 inch), converted at the screen's resolution.
    static constexpr int kDetailsExpandedTwips = 3000;
    static constexpr int kDetailsCollapsedTwips = 225;
    static constexpr int kSplitterMinLeftTwips = 200;
    static constexpr int kSplitterMinRightTwips = 500;

    explicit Form1(const QString &programFolder, UiServices services = {},
                   QWidget *parent = nullptr);
    // With the index already being read on the loader's thread: a loader started before
    // QApplication overlaps the reading with Qt's own start as well as the window's.
    explicit Form1(IndexLoader store, UiServices services = {}, QWidget *parent = nullptr);
    ~Form1() override;

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

    // Counters shown in lblNumCat / lblNumCD, set at start.
    void CountCatalogsAndDiscs();
    // Lists the selected disc's entries into the file list.
    void ListDiscFiles();
    // 0: the disc selected in the tree; 1: the list's current row and its disc.
    void ShowDiscDetails(int mode);
    // Colours every list row from the extension table as it stands.
    void ColorList();
    void BuildExtensionTable();

    // The details-pane toggle: expanded (3000 twips) or collapsed (225 twips).
    bool detailsExpanded() const { return m_detailsExpanded; }
    void toggleDetails();
    // Left edge of the splitter, in pixels, and the move rule of a drag.
    int splitterLeft() const { return m_splitterLeft; }
    // Applies a drag to `newLeft` pixels when it keeps both sides wide enough.
    bool moveSplitter(int newLeft);

    // Runs the one-shot start-up job now (the reminder hook, then the tip of the day).
    void runStartupReminders();
    // What Timer4 runs before the tip; the archive reminder plugs in here.
    void setStartupReminder(std::function<void()> reminder) { m_startupReminder = std::move(reminder); }

    // Store commands (form1_capture.cpp): the "CD/DVD..." capture, "Catalog...", rename and
    // delete of the selected node.
    void captureDisc();
    void newCatalog();
    void renameSelected();
    void deleteSelected();
    // The running capture, if any; tests step it with captureTick().
    CaptureJob *capture() const { return m_capture.get(); }
    bool captureTick();
    frmInportProgres *progressWindow() const { return m_progress; }

    // List commands, as the menus and keys run them.
    void openSelectedFile();
    void openSelectedLocation();
    void copySelectedFiles();
    void removeSelectedItems();
    void clearList();
    void autoSizeColumns();

    // Quick find (form1_find.cpp): scope from the tree's selected node, one disc per Timer2
    // tick. findTick() is the tick; it returns true when the search has finished.
    void findFiles();
    bool findTick();
    // Searches one disc file ("<disc>.xml") and appends its hits to the list.
    void PretraziXML(const QString &discFileName);
    bool findRunning() const;
    const QStringList &lstCD() const { return m_findDiscs; }

    // Save list as a disc (form1_find.cpp): the new-disc dialog in "Virtual" mode, then one
    // slice of rows per Timer3 tick, then MakeXML. saveTick() returns true when done.
    void saveList();
    bool saveTick();
    bool saveRunning() const;

    // The advanced search window (modeless, one at a time).
    void showSearch();
    QWidget *searchWindow() const;

    // Export wizards (form1_export.cpp), modal, one per format.
    void exportSql();
    void exportExcel();
    void exportHtml();
    void exportCsv();
    void exportText();

    // Archive of disc files to a zip and restore from one (form1_archive.cpp).
    void archiveDiscs();
    void restoreDiscs();

    // Options window, statistics and the archive reminder (form1_options.cpp).
    void showOptions();
    void showStatistics();
    void installArchiveReminder();

    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWidgets();
    void buildMenus();     // form1_menus.cpp
    void buildToolBar();   // form1_menus.cpp
    void restorePlacement();
    void storePlacement();
    void layoutCentral(bool resizeColumns);
    void setColumnRatios();
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
    void addPicture();
    int selectedListRow() const;
    QStringList selectedPaths() const;
    [[nodiscard]] bool shutDown();
    void walkCaptureStep();
    void finishCapture();
    void setBusy(bool busy);

    QString m_programFolder;
    UiServices m_services;
    CatalogueIndex m_index;
    SettingsRecord m_settings;
    ExtensionTable m_extensions;
    NotesStore m_notes;

    CatalogTree *m_tree = nullptr;
    SplitterBar *m_ruller = nullptr;
    QTableView *m_list = nullptr;
    FileListModel *m_listModel = nullptr;
    DetailsPane *m_details = nullptr;
    QWidget *m_central = nullptr;
    QLineEdit *m_find = nullptr;
    QLabel *m_numCat = nullptr;
    QLabel *m_numCD = nullptr;
    QLabel *m_status = nullptr;
    QMenu *m_treePopup = nullptr;
    QMenu *m_listPopup = nullptr;
    QTimer *m_timer4 = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_walkTimer = nullptr;
    std::unique_ptr<StoreEdits> m_edits;
    std::unique_ptr<CaptureJob> m_capture;
    QPointer<frmInportProgres> m_progress;
    std::function<void()> m_startupReminder;

    // Quick find: lstCD and findIndex.
    QTimer *m_timer2 = nullptr;
    QStringList m_findDiscs;
    qsizetype m_findIndex = 0;
    // Save list: the rows being copied and the slice state.
    QTimer *m_timer3 = nullptr;
    QList<FileEntry> m_saveEntries;
    qsizetype m_saveCount = 0;
    qsizetype m_captureSliceEnd = 0;
    qsizetype m_captureNext = 0;
    QString m_saveDisc;
    QString m_saveCatalog;
    QPointer<QWidget> m_searchWindow;

    int m_splitterLeft = 0;
    bool m_detailsExpanded = true;
    bool m_shutDownDone = false;

    friend class SplitterBar;
};

} // namespace orlith
