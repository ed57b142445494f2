// Orlith — desktop catalogue of removable media.
#include "ui/main/main_window.h"

#include "core/capture/capture_task.h"
#include "core/search/index_updater.h"
#include "core/search/list_search.h"
#include "core/settings/window_layout.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/save_list_task.h"
#include "core/store/store_edits.h"
#include "ui/capture/capture_progress_dialog.h"
#include "ui/common/style_icon.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/file_list_commands.h"
#include "ui/main/file_list_model.h"
#include "ui/main/first_start_hint.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

// The pictures are compiled into the static library; nothing names them in code, so a
// program linking it would leave them out unless they are asked for here.
static bool initResources()
{
    Q_INIT_RESOURCE(orlith);
    return true;
}

namespace orlith {

namespace {

constexpr double kColumnRatios[] = {0.25, 0.293, 0.15, 0.15, 0.15};
constexpr int kRullerWidth = 3;
constexpr int kInitialSplitter = 213;
constexpr int kTreeSide = 0;
constexpr int kListSide = 1;

} // namespace

MainWindow::MainWindow(const QString &programFolder, UiServices services, QWidget *parent)
    : MainWindow(IndexLoader(programFolder), services, parent)
{
}

// Step 4, the catalogs in their stored order and then the discs of the store folder, needs
// no widget: it is collected after the widgets are built.
MainWindow::MainWindow(IndexLoader store, UiServices services, QWidget *parent)
    : QMainWindow(parent), m_programFolder(store.programFolder()), m_services(services)
{
    [[maybe_unused]] static const bool resources = initResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Orlith"));
    setWindowIcon(QIcon(QStringLiteral(":/orlith/orlith.png")));

    // The tree's nodes are made on the loader's thread too. Shared, so that a reading that
    // ends after a failed construction still has somewhere to put them.
    auto nodes = std::make_shared<std::unique_ptr<QTreeWidgetItem>>();
    store.whenRead(
        [nodes](const CatalogueIndex &index) { nodes->reset(CatalogTree::makeNodes(index)); });

    // 1-3: columns, images, the root node.
    buildWidgets();
    buildMenus();
    buildToolBar();

    // 4: the index, read meanwhile.
    m_index = store.take();
    m_tree->setNodes(nodes->release());

    // 5: settings. A missing file starts with empty settings; an unreadable one is said.
    if (StoreResult r = loadSettings(settingsPath(m_programFolder), m_settings); !r)
        m_services.messages->error(this, QStringLiteral("Error"), r.error);

    // 6: the details pane in the state it was left in: the toggle flips it once.
    m_detailsExpanded = m_settings.detailsCollapsed();
    toggleDetails();

    // 7-10.
    restorePlacement();
    restoreLayout();
    recountCatalogsAndDiscs();
    buildExtensionTable();
    if (!m_notes.open(notesStorePath(m_programFolder)) && !m_notes.isOpen())
        m_services.messages->error(this, QStringLiteral("Error"), m_notes.lastError());

    m_edits = std::make_unique<StoreEdits>(m_programFolder, m_index, m_notes);
    m_timer4 = new QTimer(this);
    m_timer4->setObjectName(QStringLiteral("Timer4"));
    m_timer4->setSingleShot(true);
    m_timer4->setInterval(kTimer4IntervalMs);
    connect(m_timer4, &QTimer::timeout, this, &MainWindow::runStartupReminders);
    installArchiveReminder();
    m_timer4->start();
    watchStore();
    watchMounts();
    // The search index is built (or brought up to date) behind the window; quick find
    // scans until it is there.
    m_indexUpdater = new SearchIndexUpdater(m_programFolder, this);
    m_indexUpdater->request();

    showSkippedDiscs();
}

void MainWindow::showSkippedDiscs()
{
    static constexpr auto kNotShown = QLatin1StringView("Not shown: ");
    if (m_index.skipped().isEmpty()) {
        if (statusText().startsWith(kNotShown))
            setStatusText(QStringLiteral("Ready"));
        return;
    }
    QStringList names;
    for (const SkippedDiscFile &s : m_index.skipped())
        names << s.fileName + QStringLiteral(": ") + s.reason;
    setStatusText(kNotShown + names.join(QStringLiteral("; ")));
}

MainWindow::~MainWindow()
{
    stopJobs();
}

// Nothing a job brings is shown once the window closes. A save is let finish: its disc
// file is written whole or not at all.
void MainWindow::stopJobs()
{
    if (m_save)
        m_save->wait();
    delete m_capture.data();
    stopListSearch();
    delete m_indexUpdater.data();
}

bool MainWindow::captureRunning() const
{
    return m_capture != nullptr;
}

bool MainWindow::listSearchRunning() const
{
    return m_listSearch != nullptr;
}

bool MainWindow::saveRunning() const
{
    return m_save != nullptr;
}

void MainWindow::buildWidgets()
{
    // Tree | list over the details pane. The tree keeps its width when the window grows.
    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(m_central);
    m_splitter = new QSplitter(Qt::Horizontal, m_central);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(kRullerWidth);
    auto *centralLayout = new QVBoxLayout(m_central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->addWidget(m_splitter);

    m_tree = new CatalogTree(m_splitter);
    auto *listSide = new QWidget(m_splitter);
    m_splitter->setStretchFactor(kTreeSide, 0);
    m_splitter->setStretchFactor(kListSide, 1);
    // A side may not become narrower than a drag may make it.
    m_tree->setMinimumWidth(kSplitterMinLeft + 1);
    listSide->setMinimumWidth(kSplitterMinRight);
    QSplitterHandle *ruller = m_splitter->handle(kListSide);
    ruller->setObjectName(QStringLiteral("picRuller"));
    ruller->installEventFilter(this);

    m_listModel = new FileListModel(this);
    m_listModel->setSortIcons(styleIcon(QStyle::SP_ArrowDown), styleIcon(QStyle::SP_ArrowUp));
    // "File copied to clipboard" speaks of rows that a new list takes away.
    connect(m_listModel, &QAbstractItemModel::modelReset, this, [this] {
        if (statusText() == QLatin1String(kFileCopiedStatus))
            setStatusText(QStringLiteral("Ready"));
    });
    m_list = new QTableView(listSide);
    m_list->setObjectName(QStringLiteral("ListFiles"));
    m_list->setModel(m_listModel);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setSectionsClickable(true);
    m_list->horizontalHeader()->setStretchLastSection(false);
    m_list->horizontalHeader()->setSortIndicatorShown(false);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { m_listModel->sortByHeader(column); });
    connect(m_list, &QTableView::clicked, this, [this] { showDiscDetails(1); });
    connect(m_list, &QTableView::doubleClicked, this, &MainWindow::onListDoubleClicked);

    m_details = new DetailsPane(m_programFolder, m_notes, m_services, listSide);
    m_details->setObjectName(QStringLiteral("frmExtra"));
    // The list takes what the window gains; the pane keeps its height.
    m_listSplitter = new QSplitter(Qt::Vertical, listSide);
    m_listSplitter->setObjectName(QStringLiteral("listSplitter"));
    m_listSplitter->setChildrenCollapsible(false);
    m_listSplitter->setHandleWidth(kRullerWidth);
    m_listSplitter->addWidget(m_list);
    m_listSplitter->addWidget(m_details);
    m_listSplitter->setStretchFactor(0, 1);
    m_listSplitter->setStretchFactor(1, 0);
    auto *listLayout = new QVBoxLayout(listSide);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    listLayout->addWidget(m_listSplitter);
    connect(m_details, &DetailsPane::toggleRequested, this, &MainWindow::toggleDetails);
    connect(m_details, &DetailsPane::pictureRequested, this, &MainWindow::addPicture);

    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeWidget::itemClicked, this, &MainWindow::onTreeClicked);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &MainWindow::onTreeClicked);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &MainWindow::onTreeDoubleClicked);
    connect(m_tree, &CatalogTree::enterKeyReleased, this, &MainWindow::onTreeEnter);
    connect(m_tree, &CatalogTree::deleteKeyReleased, this, &MainWindow::deleteSelected);
    connect(m_tree, &CatalogTree::contextMenuWanted, this, &MainWindow::showTreePopup);
    connect(m_tree, &CatalogTree::discFoldersWanted, this, &MainWindow::loadDiscFolders);

    m_status = new QLabel(QStringLiteral("Ready"), this);
    m_status->setObjectName(QStringLiteral("StatusPanel"));
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(m_status, 1);

    m_splitter->setSizes({kInitialSplitter, std::max(0, width() - kInitialSplitter)});
}

int MainWindow::twipsToPixels(int twips) const
{
    return qRound(double(twips) * logicalDpiX() / 1440.0);
}

int MainWindow::pixelsToTwips(int pixels) const
{
    return qRound(double(pixels) * 1440.0 / logicalDpiX());
}

QString MainWindow::statusText() const
{
    return m_status->text();
}

void MainWindow::setStatusText(const QString &text)
{
    m_status->setText(text);
}

void MainWindow::recountCatalogsAndDiscs()
{
    m_numCat->setText(signPadded(m_index.catalogCount()));
    m_numCD->setText(signPadded(m_index.discCount()));
    m_hint->setStoreEmpty(m_index.discCount() == 0);
}

void MainWindow::buildExtensionTable()
{
    m_extensions.buildExtensionTable(m_settings.categoryColorSettings);
}

void MainWindow::colorRows()
{
    m_listModel->colorRows(m_extensions, palette());
}

// --- layout -------------------------------------------------------------------------

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Events arrive while the widgets are still being built and again while they go.
    if (!m_list || !m_details || !m_tree || !m_splitter)
        return QMainWindow::eventFilter(watched, event);
    if (watched == m_list && event->type() == QEvent::Resize) {
        // The columns share the list's width as the window is resized; a moving splitter
        // leaves them as they are.
        if (!m_keptColumns.isEmpty()) {
            for (int c = 0; c < m_keptColumns.size(); ++c)
                m_list->setColumnWidth(c, m_keptColumns.at(c));
        } else if (!m_keepColumnWidths && !isMinimized()) {
            setColumnRatios();
        }
    } else if (watched == m_splitter->handle(kListSide)) {
        if (event->type() == QEvent::MouseButtonPress)
            m_keepColumnWidths = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            m_keepColumnWidths = false;
    } else if ((watched == m_list || watched == m_tree) && event->type() == QEvent::KeyPress) {
        m_keyPressedIn = watched;
        m_pressedKey = static_cast<QKeyEvent *>(event)->key();
    } else if ((watched == m_list || watched == m_tree) && event->type() == QEvent::KeyRelease) {
        auto *release = static_cast<QKeyEvent *>(event);
        const int key = release->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (!enter && key != Qt::Key_Delete)
            return QMainWindow::eventFilter(watched, event);
        // The tree acts on these releases itself, after this filter.
        if (!keyReleaseOwned(watched, *release))
            return true;
        if (watched == m_list && enter)
            openSelectedFile();
        else if (watched == m_list)
            removeSelectedItems();
    } else if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            showListPopup(mouse->globalPosition().toPoint());
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::keyReleaseOwned(QObject *watched, const QKeyEvent &release)
{
    const bool owned = m_keyPressedIn == watched && m_pressedKey == release.key();
    // Cleared before acting: a message box the key opens must not leave it owned.
    if (!release.isAutoRepeat())
        m_keyPressedIn = nullptr;
    return owned;
}

void MainWindow::layoutDetails()
{
    if (!m_detailsExpanded) {
        m_details->setFixedHeight(kDetailsCollapsedHeight);
        return;
    }
    // Expanded, the pane can be dragged taller or shorter, down to half its first height.
    m_details->setMinimumHeight(kDetailsExpandedHeight / 2);
    m_details->setMaximumHeight(QWIDGETSIZE_MAX);
    const int total = std::max(m_listSplitter->height(), m_detailsHeight * 2);
    m_listSplitter->setSizes({total - m_detailsHeight, m_detailsHeight});
}

void MainWindow::restoreLayout()
{
    const WindowLayout kept = loadWindowLayout(windowLayoutPath(m_programFolder));
    if (kept.columnWidths.size() == FileListModel::ColumnCount) {
        m_keptColumns = kept.columnWidths;
        for (int c = 0; c < m_keptColumns.size(); ++c)
            m_list->setColumnWidth(c, m_keptColumns.at(c));
        // Once the window is up, resizing it shares the list's width among the columns again.
        QTimer::singleShot(0, this, [this] { m_keptColumns.clear(); });
    }
    if (kept.treeWidth > kSplitterMinLeft)
        m_splitter->setSizes({kept.treeWidth, std::max(0, width() - kept.treeWidth)});
    if (kept.detailsHeight >= kDetailsExpandedHeight / 2) {
        m_detailsHeight = kept.detailsHeight;
        if (m_detailsExpanded)
            layoutDetails();
    }
}

void MainWindow::storeLayout()
{
    if (m_detailsExpanded)
        m_detailsHeight = m_details->height();
    QList<int> widths;
    for (int c = 0; c < FileListModel::ColumnCount; ++c)
        widths << m_list->columnWidth(c);
    // The layout is a convenience: a failed write is not worth a message at shut-down.
    (void)updateWindowLayout(windowLayoutPath(m_programFolder), [&](WindowLayout &layout) {
        layout.columnWidths = widths;
        layout.treeWidth = splitterLeft();
        layout.detailsHeight = m_detailsHeight;
    });
}

void MainWindow::setColumnRatios()
{
    const int width = m_list->viewport()->width() > 0 ? m_list->width() : 0;
    for (int c = 0; c < int(std::size(kColumnRatios)); ++c)
        m_list->setColumnWidth(c, int(width * kColumnRatios[c]));
}

int MainWindow::splitterLeft() const
{
    return m_splitter->sizes().value(kTreeSide);
}

bool MainWindow::moveSplitter(int newLeft)
{
    const int w = m_central->width();
    if (newLeft <= kSplitterMinLeft || newLeft >= w - kSplitterMinRight)
        return false;
    const QScopedValueRollback keep(m_keepColumnWidths, true);
    m_splitter->setSizes({newLeft, w - newLeft - m_splitter->handleWidth()});
    return true;
}

void MainWindow::toggleDetails()
{
    if (m_detailsExpanded && m_details->isVisible())
        m_detailsHeight = m_details->height();
    m_detailsExpanded = !m_detailsExpanded;
    m_settings.setDetailsCollapsed(!m_detailsExpanded);
    m_details->setExpandedLook(m_detailsExpanded);
    layoutDetails();
}

// The placement is the client area, without the window manager's frame, both when stored
// and when restored; mixing the two moved the window by a title bar at every start.
void MainWindow::restorePlacement()
{
    const QRect twips = m_settings.placementTwips();
    const bool stored = twips.width() > 0 && twips.height() > 0;
    QRect placed(twipsToPixels(twips.left()), twipsToPixels(twips.top()),
                 twipsToPixels(twips.width()), twipsToPixels(twips.height()));
    // A placement from another monitor or scale is brought onto the screen it would land
    // on, or the primary one.
    QScreen *target = stored ? QGuiApplication::screenAt(placed.center()) : nullptr;
    if (!target)
        target = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect available = target ? target->availableGeometry() : QRect(0, 0, 1280, 800);
    if (!stored) {
        resize(std::min(1000, available.width()), std::min(680, available.height()));
        return;
    }
    placed.setSize(placed.size().boundedTo(available.size()));
    placed.moveLeft(std::clamp(placed.left(), available.left(),
                               available.left() + available.width() - placed.width()));
    placed.moveTop(std::clamp(placed.top(), available.top(),
                              available.top() + available.height() - placed.height()));
    setGeometry(placed);
}

void MainWindow::storePlacement()
{
    if (isMinimized())
        return;
    const QRect client = geometry();
    m_settings.setPlacementTwips(QRect(pixelsToTwips(client.left()), pixelsToTwips(client.top()),
                                       pixelsToTwips(client.width()),
                                       pixelsToTwips(client.height())));
}

// --- start-up and shut-down ---------------------------------------------------------

void MainWindow::runStartupReminders()
{
    m_timer4->stop();
    if (m_startupReminder)
        m_startupReminder();
    if (m_settings.tipsAtStart())
        showTip();
}

bool MainWindow::shutDown()
{
    m_details->saveNotes();
    bool ok = true;
    // Every edit of this window wrote katalog.ini already; what is left to record are the
    // catalogs that only disc files name, merged with what is on disk now.
    if (StoreResult r = syncCatalogOrder(m_programFolder); !r) {
        m_services.messages->error(this, QStringLiteral("Error"), r.error);
        ok = false;
    }
    storePlacement();
    storeLayout();
    if (StoreResult r = saveSettings(settingsPath(m_programFolder), m_settings); !r) {
        m_services.messages->error(this, QStringLiteral("Error"), r.error);
        ok = false;
    }
    return ok;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    stopJobs();
    if (!m_shutDownDone) {
        // A failed write was reported; closing anyway loses nothing already stored.
        (void)shutDown();
        m_shutDownDone = true;
    }
    event->accept();
}

// --- tree ---------------------------------------------------------------------------

void MainWindow::updateMenuState()
{
    const NodeKind kind = m_tree->selectedKind();
    // A folder inside a disc is no name of the store: nothing to rename or delete.
    const bool root = kind == NodeKind::Root || kind == NodeKind::None || kind == NodeKind::Folder;
    const QTreeWidgetItem *item = m_tree->currentItem();
    const bool deletable =
        kind == NodeKind::Disc || (kind == NodeKind::Catalog && item && item->childCount() == 0);
    for (const char *name : {"mnuDelete", "mnuDeletePopUP"}) {
        if (auto *a = findChild<QAction *>(QString::fromLatin1(name)))
            a->setEnabled(!root && deletable);
    }
    for (const char *name : {"mnuRename", "mnuRenamePopUp"}) {
        if (auto *a = findChild<QAction *>(QString::fromLatin1(name)))
            a->setEnabled(!root);
    }
    for (const char *name : {"mnuUpdate", "mnuUpdatePopUp", "mnuVerify", "mnuVerifyPopUp"}) {
        if (auto *a = findChild<QAction *>(QString::fromLatin1(name)))
            a->setEnabled(kind == NodeKind::Disc);
    }
}

void MainWindow::onTreeClicked()
{
    updateMenuState();
    if (m_tree->selectedKind() == NodeKind::Disc)
        showDiscDetails(0);
    else if (m_tree->selectedKind() == NodeKind::Folder) // its disc
        m_details->showDisc(m_tree->discOf(m_tree->currentItem()));
    else
        m_details->clearDiscDetails();
}

void MainWindow::onTreeDoubleClicked()
{
    if (m_tree->selectedKind() == NodeKind::Disc)
        listSelectedDisc();
    else if (m_tree->selectedKind() == NodeKind::Folder)
        listSelectedFolder();
}

void MainWindow::onTreeEnter()
{
    if (m_tree->selectedKind() == NodeKind::Disc) {
        listSelectedDisc();
        showDiscDetails(0);
    } else if (m_tree->selectedKind() == NodeKind::Folder) {
        listSelectedFolder();
    }
}

void MainWindow::showTreePopup(const QPoint &globalPos)
{
    onTreeClicked();
    m_treePopup->popup(globalPos);
}

void MainWindow::listSelectedDisc()
{
    const QString disc = m_tree->selectedKey();
    stopListSearch();
    m_listModel->clear();
    setStatusText(QStringLiteral("Reading data..."));
    QList<FileRow> rows;
    const StoreResult r = listDiscFiles(m_programFolder, disc, rows);
    m_list->setUpdatesEnabled(false);
    m_listModel->setRows(std::move(rows));
    colorRows();
    m_list->setUpdatesEnabled(true);
    if (!r)
        m_services.messages->error(this, QStringLiteral("Error"), r.error);
    setStatusText(signPadded(m_listModel->rowCount()) + QStringLiteral(" files found in xml."));
}

void MainWindow::showDiscDetails(int mode)
{
    if (mode == 0) {
        if (m_tree->selectedKind() == NodeKind::Disc)
            m_details->showDisc(m_tree->selectedKey());
    } else if (mode == 1) {
        const int row = selectedListRow();
        if (row >= 0)
            m_details->showFile(m_listModel->row(row), m_listModel->index(row, 0));
    }
}

// --- list ---------------------------------------------------------------------------

int MainWindow::selectedListRow() const
{
    return commandRow(*m_list->selectionModel());
}

QStringList MainWindow::selectedPaths() const
{
    return orlith::selectedPaths(*m_listModel, *m_list->selectionModel());
}

void MainWindow::onListDoubleClicked()
{
    const int row = selectedListRow();
    if (row < 0)
        return;
    switch (doubleClickAction(m_settings.opensFile(), m_settings.opensLocation(),
                              m_listModel->row(row).name())) {
    case DoubleClickAction::OpenFile:
        openSelectedFile();
        break;
    case DoubleClickAction::OpenLocation:
        openSelectedLocation();
        break;
    case DoubleClickAction::Nothing:
        break;
    }
}

void MainWindow::showListPopup(const QPoint &globalPos)
{
    m_listPopup->popup(globalPos);
}

void MainWindow::openSelectedFile()
{
    const int row = selectedListRow();
    if (row < 0) {
        m_services.messages->error(this, QStringLiteral("Error"),
                                   QStringLiteral("You must select file from list."));
        return;
    }
    // A disc that is not in its drive has nothing to open; that is not an error.
    m_services.desktop->openDocument(openablePath(m_listModel->row(row).path()));
}

void MainWindow::openSelectedLocation()
{
    const int row = selectedListRow();
    if (row < 0) {
        m_services.messages->error(this, QStringLiteral("Error"),
                                   QStringLiteral("You must select file from list."));
        return;
    }
    m_services.desktop->openFolder(folderOfPath(openablePath(m_listModel->row(row).path())));
}

void MainWindow::copySelectedFiles()
{
    const QStringList paths = selectedPaths();
    if (paths.isEmpty()) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QString::fromLatin1(kNoFileSelectedText));
        return;
    }
    m_services.desktop->setClipboard(filesMimeData(paths));
    setStatusText(QString::fromLatin1(kFileCopiedStatus));
}

void MainWindow::removeSelectedItems()
{
    m_listModel->removeRowsAt(selectedRows(*m_list->selectionModel()));
}

void MainWindow::clearList()
{
    stopListSearch();
    m_listModel->clear();
    m_details->clearDiscDetails();
}

void MainWindow::autoSizeColumns()
{
    if (m_listModel->rowCount() == 0)
        return;
    m_list->setUpdatesEnabled(false);
    m_list->resizeColumnsToContents();
    m_list->setUpdatesEnabled(true);
}

} // namespace orlith
