// Orlith — desktop catalogue of removable media.
// The main window's menu bar, context menus, tool buttons and the small commands behind
// them.
#include "ui/main/main_window.h"

#include "ui/common/style_icon.h"
#include "ui/main/add_picture_dialog.h"
#include "ui/main/catalog_tree_widget.h"
#include "ui/main/details_pane_widget.h"
#include "ui/main/first_start_hint.h"
#include "ui/main/help_manual.h"
#include "ui/options/about_dialog.h"
#include "ui/options/tip_dialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace orlith {

namespace {

// The manual's first section (its anchor in Orlith.html), where the home page item opens it.
constexpr auto kManualHome = "window";

QAction *item(QMenu *menu, const char *name, const QString &caption)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QMenu *submenu(QMenu *parent, const char *name, const QString &caption)
{
    QMenu *m = parent->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

// A key named beside a caption, for a key another widget handles.
QString shownKey(Qt::Key key)
{
    return QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}

// The context menus show the keys of the menu bar's items; the keys themselves stay with
// the menu bar, where they are bound once.
void popupKey(QAction *action, const QKeySequence &keys)
{
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
}

void separator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

} // namespace

void MainWindow::buildMenus()
{
    auto top = [this](const char *name, const QString &caption) {
        QMenu *m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto expand = [this] { m_tree->expandAllNodes(); };
    auto collapse = [this] { m_tree->collapseAllNodes(); };

    QMenu *file = top("mnuFile", QStringLiteral("File"));
    QMenu *newMenu = submenu(file, "mnuNew", QStringLiteral("&New"));
    connect(item(newMenu, "mnuCatalog", QStringLiteral("Catalog...")), &QAction::triggered, this,
            &MainWindow::newCatalog);
    QAction *newDisc = item(newMenu, "mnuCD", QStringLiteral("CD/DVD..."));
    newDisc->setShortcut(QKeySequence::New);
    connect(newDisc, &QAction::triggered, this, &MainWindow::captureDisc);
    separator(file, "mnuRazmak5");
    QAction *copy = item(file, "mnuCopy", QStringLiteral("Copy file(s)"));
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &MainWindow::copySelectedFiles);
    connect(item(file, "FilemnuOpenFile", QStringLiteral("Open file")), &QAction::triggered, this,
            &MainWindow::openSelectedFile);
    connect(item(file, "FilemnuOpenLocation", QStringLiteral("Open location")), &QAction::triggered,
            this, &MainWindow::openSelectedLocation);
    connect(item(file, "mnuRemoveItems", QStringLiteral("Remove item(s)")), &QAction::triggered,
            this, &MainWindow::removeSelectedItems);
    separator(file, "mnuRazmak6");
    connect(item(file, "mnuExit", QStringLiteral("Exit")), &QAction::triggered, this,
            &QWidget::close);

    QMenu *edit = top("mnuEdit", QStringLiteral("&Edit"));
    // Delete is the tree's own key (it asks first); the menu only names it, since a second
    // binding would ask twice.
    QAction *del = item(edit, "mnuDelete", QStringLiteral("&Delete") + shownKey(Qt::Key_Delete));
    del->setEnabled(false);
    connect(del, &QAction::triggered, this, &MainWindow::deleteSelected);
    QAction *ren = item(edit, "mnuRename", QStringLiteral("&Rename..."));
    ren->setShortcut(Qt::Key_F2);
    ren->setEnabled(false);
    connect(ren, &QAction::triggered, this, &MainWindow::renameSelected);
    QAction *update = item(edit, "mnuUpdate", QStringLiteral("Update CD/DVD..."));
    update->setEnabled(false);
    connect(update, &QAction::triggered, this, &MainWindow::updateSelectedDisc);
    QAction *verify = item(edit, "mnuVerify", QStringLiteral("Verify CD/DVD..."));
    verify->setEnabled(false);
    connect(verify, &QAction::triggered, this, &MainWindow::verifySelectedDisc);
    separator(edit, "mnuRaznak2");
    connect(item(edit, "mnuExpand", QStringLiteral("Expand tree")), &QAction::triggered, this,
            expand);
    connect(item(edit, "mnuCollapse", QStringLiteral("Collapse tree")), &QAction::triggered, this,
            collapse);

    QMenu *tools = top("mnuTools", QStringLiteral("&Tools"));
    connect(item(tools, "mnuArchive", QStringLiteral("Archive...")), &QAction::triggered, this,
            &MainWindow::archiveDiscs);
    connect(item(tools, "mnuRestore", QStringLiteral("Restore...")), &QAction::triggered, this,
            &MainWindow::restoreDiscs);
    separator(tools, "mnuRazmak4");
    QMenu *exportMenu = submenu(tools, "mnuExport", QStringLiteral("Export to"));
    connect(item(exportMenu, "mnuSQL", QStringLiteral("SQL statements...")), &QAction::triggered,
            this, &MainWindow::exportSql);
    connect(item(exportMenu, "mnuExcel", QStringLiteral("Excel document...")), &QAction::triggered,
            this, &MainWindow::exportExcel);
    connect(item(exportMenu, "mnuExcelXlsx", QStringLiteral("Excel 2007+ document (xlsx)...")),
            &QAction::triggered, this, &MainWindow::exportXlsx);
    connect(item(exportMenu, "mnuHTML", QStringLiteral("HTML document...")), &QAction::triggered,
            this, &MainWindow::exportHtml);
    connect(item(exportMenu, "mnuCSV", QStringLiteral("CSV document...")), &QAction::triggered,
            this, &MainWindow::exportCsv);
    connect(item(exportMenu, "mnuText", QStringLiteral("Text document")), &QAction::triggered, this,
            &MainWindow::exportText);
    // The same formats over the rows of the list (search hits, duplicates, a folder).
    const auto addListExports = [this](QMenu *menu, const QString &prefix) {
        const std::pair<const char *, ExportFormat> formats[] = {
            {"SQL statements...", ExportFormat::Sql},
            {"Excel document...", ExportFormat::Xls},
            {"Excel 2007+ document (xlsx)...", ExportFormat::Xlsx},
            {"HTML document...", ExportFormat::Html},
            {"CSV document...", ExportFormat::Csv},
            {"Text document", ExportFormat::Text}};
        for (const auto &[caption, format] : formats) {
            QAction *a = menu->addAction(QString::fromLatin1(caption));
            a->setObjectName(prefix + QString::number(int(format)));
            connect(a, &QAction::triggered, this, [this, f = format] { exportList(f); });
        }
    };
    addListExports(submenu(tools, "mnuExportList", QStringLiteral("Export list")),
                   QStringLiteral("mnuExportList"));
    separator(tools, "mnuRazmak");
    connect(item(tools, "mnuClearList", QStringLiteral("Clear list")), &QAction::triggered, this,
            &MainWindow::clearList);
    connect(item(tools, "mnuAutoSize", QStringLiteral("Auto size")), &QAction::triggered, this,
            &MainWindow::autoSizeColumns);
    connect(item(tools, "mnuSaveList", QStringLiteral("Save list...")), &QAction::triggered, this,
            &MainWindow::saveList);
    separator(tools, "mnuRazmak8");
    connect(item(tools, "mnuDuplicates", QStringLiteral("Find duplicates")), &QAction::triggered,
            this, &MainWindow::findDuplicateFiles);
    connect(item(tools, "mnuSingleCopies", QStringLiteral("Files on one disc only")),
            &QAction::triggered, this, &MainWindow::findSingleCopyFiles);
    separator(tools, "mnuRazmak7");
    connect(item(tools, "mnuOptions", QStringLiteral("Options...")), &QAction::triggered, this,
            &MainWindow::showOptions);

    QMenu *advanced = top("mnuAdvanced", QStringLiteral("Advanced"));
    connect(item(advanced, "mnuSearch", QStringLiteral("Search...")), &QAction::triggered, this,
            &MainWindow::showSearch);
    connect(item(advanced, "mnuStatistics", QStringLiteral("Statistics...")), &QAction::triggered,
            this, &MainWindow::showStatistics);

    QMenu *help = top("mnuHelp", QStringLiteral("Help"));
    connect(item(help, "mnuHelpFile", QStringLiteral("Help...")), &QAction::triggered, this,
            &MainWindow::openHelp);
    connect(item(help, "mnuTip", QStringLiteral("Tip of the day...")), &QAction::triggered, this,
            &MainWindow::showTip);
    connect(item(help, "mnuVisitWebSite", QStringLiteral("Orlith home page")), &QAction::triggered,
            this, &MainWindow::openHomePage);
    separator(help, "mnuRazmak3");
    connect(item(help, "mnuAbout", QStringLiteral("About...")), &QAction::triggered, this,
            &MainWindow::showAbout);

    // Context menus: the tree's mirrors "New" and the edit commands; the list's the file
    // commands.
    m_treePopup = new QMenu(QStringLiteral("PopUp"), this);
    m_treePopup->setObjectName(QStringLiteral("mnuPopUp"));
    QMenu *newPopup = submenu(m_treePopup, "mnuNewPopUp", QStringLiteral("New"));
    connect(item(newPopup, "mnuCatalogPopUp", QStringLiteral("Catalog...")), &QAction::triggered,
            this, &MainWindow::newCatalog);
    QAction *newDiscPopup = item(newPopup, "mnuCDPopUp", QStringLiteral("CD/DVD..."));
    popupKey(newDiscPopup, QKeySequence::New);
    connect(newDiscPopup, &QAction::triggered, this, &MainWindow::captureDisc);
    separator(m_treePopup, "mnuRazmak1");
    QAction *delPopup =
        item(m_treePopup, "mnuDeletePopUP", QStringLiteral("Delete") + shownKey(Qt::Key_Delete));
    delPopup->setEnabled(false);
    connect(delPopup, &QAction::triggered, this, &MainWindow::deleteSelected);
    QAction *renPopup = item(m_treePopup, "mnuRenamePopUp", QStringLiteral("Rename..."));
    popupKey(renPopup, Qt::Key_F2);
    renPopup->setEnabled(false);
    connect(renPopup, &QAction::triggered, this, &MainWindow::renameSelected);
    QAction *updatePopup = item(m_treePopup, "mnuUpdatePopUp", QStringLiteral("Update CD/DVD..."));
    updatePopup->setEnabled(false);
    connect(updatePopup, &QAction::triggered, this, &MainWindow::updateSelectedDisc);
    QAction *verifyPopup = item(m_treePopup, "mnuVerifyPopUp", QStringLiteral("Verify CD/DVD..."));
    verifyPopup->setEnabled(false);
    connect(verifyPopup, &QAction::triggered, this, &MainWindow::verifySelectedDisc);

    m_listPopup = new QMenu(QStringLiteral("ListPopUp"), this);
    m_listPopup->setObjectName(QStringLiteral("mnuListPopUp"));
    QAction *copyPopup = item(m_listPopup, "mnuCopyFile", QStringLiteral("Copy"));
    popupKey(copyPopup, QKeySequence::Copy);
    connect(copyPopup, &QAction::triggered, this, &MainWindow::copySelectedFiles);
    connect(item(m_listPopup, "mnuOpenFile", QStringLiteral("Open file")), &QAction::triggered,
            this, &MainWindow::openSelectedFile);
    connect(item(m_listPopup, "mnuOpenLocation", QStringLiteral("Open location")),
            &QAction::triggered, this, &MainWindow::openSelectedLocation);
    addListExports(submenu(m_listPopup, "mnuExportListPopUp", QStringLiteral("Export list")),
                   QStringLiteral("mnuExportListPopUp"));

    buildWindowKeys();
    // Names the captions above.
    m_hint = new FirstStartHint(m_list);
}

void MainWindow::buildWindowKeys()
{
    // Keys without a menu item of their own.
    auto key = [this](const char *name, const QKeySequence &keys, auto &&run) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, run);
        addAction(a);
    };
    key("actFind", QKeySequence::Find, [this] {
        m_find->setFocus(Qt::ShortcutFocusReason);
        m_find->selectAll();
    });
    key("actRefresh", QKeySequence(Qt::Key_F5), &MainWindow::refreshFromStore);
    // A text box with the focus selects its own text first.
    key("actSelectAll", QKeySequence::SelectAll, [this] { m_list->selectAll(); });
}

void MainWindow::buildToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    auto iconButton = [&](const char *name, const QIcon &icon, const QString &tip) {
        QAction *a = bar->addAction(icon, tip);
        a->setToolTip(tip);
        a->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
        if (QWidget *w = bar->widgetForAction(a))
            w->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto button = [&](const char *name, QStyle::StandardPixmap icon, const QString &tip) {
        return iconButton(name, styleIcon(icon), tip);
    };
    auto same = [this](QAction *a, const char *menuItem) {
        if (auto *target = findChild<QAction *>(QString::fromLatin1(menuItem)))
            connect(a, &QAction::triggered, target, &QAction::trigger);
    };

    same(button("cmdNewCat", QStyle::SP_FileDialogNewFolder, QStringLiteral("New Catalog")),
         "mnuCatalog");
    // No tooltip, so no text either: an action's tooltip falls back to its text.
    same(button("cmdNewCD", QStyle::SP_DriveCDIcon, QString()), "mnuCD");
    // Drawn for this button: the style's save icon is Save list's.
    QIcon archive(QStringLiteral(":/orlith/archive-16.png"));
    archive.addFile(QStringLiteral(":/orlith/archive-32.png"));
    same(iconButton("cmdArchive", archive, QStringLiteral("Archive CD/DVD")), "mnuArchive");
    bar->addSeparator();
    same(button("cmdExpandAll", QStyle::SP_ToolBarVerticalExtensionButton,
                QStringLiteral("Expand tree")),
         "mnuExpand");
    same(button("cmdUnExpandAll", QStyle::SP_ToolBarHorizontalExtensionButton,
                QStringLiteral("Collapse tree")),
         "mnuCollapse");
    bar->addSeparator();
    same(button("cmdCopy", QStyle::SP_FileLinkIcon, QStringLiteral("Copy to clipboard")),
         "mnuCopy");
    same(button("cmdAutoSize", QStyle::SP_FileDialogDetailedView,
                QStringLiteral("Auto size all columns")),
         "mnuAutoSize");
    same(button("cmdClearList", QStyle::SP_DialogResetButton,
                QStringLiteral("Clear files from the list")),
         "mnuClearList");
    same(button("cmdSaveList", QStyle::SP_DialogSaveButton,
                QStringLiteral("Save files from the list as new XML")),
         "mnuSaveList");
    bar->addSeparator();

    m_find = new QLineEdit(bar);
    m_find->setObjectName(QStringLiteral("txtFind"));
    m_find->setToolTip(QStringLiteral("Write string for search"));
    m_find->setMaximumWidth(260);
    m_find->setClearButtonEnabled(true);
    bar->addWidget(m_find);
    connect(button("cmdFind", QStyle::SP_FileDialogContentsView, QStringLiteral("Search")),
            &QAction::triggered, this, &MainWindow::findFiles);
    connect(m_find, &QLineEdit::returnPressed, this, &MainWindow::findFiles);

    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    auto *catCaption = new QLabel(QStringLiteral("Catalogs:"), bar);
    bar->addWidget(catCaption);
    m_numCat = new QLabel(bar);
    m_numCat->setObjectName(QStringLiteral("lblNumCat"));
    m_numCat->setMinimumWidth(40);
    bar->addWidget(m_numCat);
    bar->addWidget(new QLabel(QStringLiteral("CD/DVD:"), bar));
    m_numCD = new QLabel(bar);
    m_numCD->setObjectName(QStringLiteral("lblNumCD"));
    m_numCD->setMinimumWidth(40);
    bar->addWidget(m_numCD);
}

void MainWindow::showTip()
{
    TipDialog tip(m_settings, this);
    tip.exec();
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

QString findManual(const QString &programDir, const QString &dataFolder)
{
    for (const QString &folder :
         {programDir, dataFolder, programDir + QStringLiteral("/../share/doc/orlith")}) {
        const QString path = folder + QStringLiteral("/Orlith.html");
        if (QFileInfo(path).isFile())
            return QFileInfo(path).absoluteFilePath();
    }
    return {};
}

void MainWindow::openHelp()
{
    // None found, nothing opens. One that the desktop cannot show (no browser, or one
    // that refuses to run) is said, with its path, so it can still be read.
    const QString path = findManual(QCoreApplication::applicationDirPath(), m_programFolder);
    if (!path.isEmpty() && !m_services.desktop->openDocument(path))
        m_services.messages->error(
            this, QString::fromLatin1(kErrorTitle),
            QStringLiteral("The manual could not be opened. It is the file\n%1").arg(path));
}

void MainWindow::openHomePage()
{
    const QString path = findManual(QCoreApplication::applicationDirPath(), m_programFolder);
    if (path.isEmpty())
        return;
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(QString::fromLatin1(kManualHome));
    m_services.desktop->openUrl(url.toString());
}

void MainWindow::addPicture()
{
    if (m_tree->selectedKind() != NodeKind::Disc) {
        m_services.messages->information(this, QStringLiteral("Error"),
                                         QStringLiteral("First select CD/DVD from tree view."));
        return;
    }
    const QString disc = m_tree->selectedKey();
    AddPictureDialog dialog(m_programFolder, disc, m_services, this);
    // The pane may show another disc (a list row); only its own picture is reloaded.
    if (dialog.exec() == QDialog::Accepted && m_details->shownDisc() == disc)
        m_details->reloadPicture(disc);
}

} // namespace orlith
