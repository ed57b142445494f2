// Orlith — desktop catalogue of removable media.
// Quick find over the selected scope, the search window, and saving the list as a disc.
#include "form1_window.h"

#include "capture/capture_job.h"
#include "capture/new_disc_dialog.h"
#include "capture/store_edits.h"
#include "mainwin/catalog_tree_widget.h"
#include "mainwin/file_list_model.h"
#include "search/disc_search.h"
#include "search/search_window.h"

#include <QLineEdit>
#include <QTableView>
#include <QTimer>

namespace orlith {

namespace {

constexpr char kChooseScopeMessage[] = "You must select catalogs or\ncatalog or a single CD/DVD for search";
constexpr char kEmptyListMessage[] = "List is empty.There is no files to save.";
constexpr char kSavingStatus[] = "Saving files from the list as new xml... ";
constexpr char kDiscFileExtension[] = ".xml";

} // namespace

void Form1::findFiles()
{
    m_findDiscs.clear();
    switch (m_tree->selectedKind()) {
    case CatalogTree::NodeKind::Root:
        m_findDiscs = m_tree->discsInOrder();
        break;
    case CatalogTree::NodeKind::Catalog:
        m_findDiscs = m_tree->discsOf(m_tree->selectedKey());
        break;
    case CatalogTree::NodeKind::Disc:
        m_findDiscs << m_tree->selectedKey();
        break;
    case CatalogTree::NodeKind::None:
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QString::fromLatin1(kChooseScopeMessage));
        return;
    }
    m_listModel->clear();
    m_findIndex = 0;
    m_timer2->start();
}

bool Form1::findRunning() const
{
    return m_timer2->isActive();
}

bool Form1::findTick()
{
    m_timer2->stop();
    const qsizetype colourFrom = m_listModel->rowCount();
    bool done = false;
    if (m_findIndex < m_findDiscs.size()) {
        const QString disc = m_findDiscs.at(m_findIndex);
        PretraziXML(disc + QLatin1String(kDiscFileExtension));
        ++m_findIndex;
    } else {
        setStatusText(foundText(m_listModel->rowCount()));
        done = true;
    }
    m_listModel->ColorList(m_extensions, palette(), colourFrom);
    return done;
}

void Form1::PretraziXML(const QString &discFileName)
{
    SearchCriteria criteria;
    criteria.text = m_find->text();
    setStatusText(QStringLiteral("Searching ") + discFileName);
    const QString disc = discFileName.chopped(int(qstrlen(kDiscFileExtension)));
    QList<FileRow> hits;
    // A disc whose file has gone is skipped; the rest of the scope is still searched.
    (void)DiscSearch(criteria).searchDisc(m_programFolder, disc, hits);
    m_list->setUpdatesEnabled(false);
    m_listModel->appendRows(hits);
    m_list->setUpdatesEnabled(true);
    m_timer2->start();
}

void Form1::saveList()
{
    if (m_listModel->rowCount() == 0) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QString::fromLatin1(kEmptyListMessage));
        return;
    }
    // The save copies into its own buffers and a capture fills the same kind of disc file,
    // so one waits for the other.
    if (m_capture || saveRunning())
        return;
    frmNewCD dialog(m_tree->catalogsInOrder(), *m_edits, *m_services.drives, m_services,
                    /*virtualMode=*/true, this);
    if (dialog.exec() != QDialog::Accepted || dialog.discName().isEmpty() ||
        dialog.catalog().isEmpty())
        return;
    m_saveDisc = dialog.discName();
    m_saveCatalog = dialog.catalog();
    m_saveCount = m_listModel->rowCount();
    m_saveEntries.clear();
    m_saveEntries.reserve(m_saveCount);
    m_captureSliceEnd = 0;
    m_captureNext = 0;
    m_timer3->start();
}

bool Form1::saveRunning() const
{
    return m_timer3->isActive();
}

bool Form1::saveTick()
{
    m_timer3->stop();
    setStatusText(QString::fromLatin1(kSavingStatus));
    m_captureSliceEnd += kSaveSliceSize;
    // The list may have changed since the save began; rows gone by now end the copy.
    const qsizetype available = std::min(m_saveCount, qsizetype(m_listModel->rowCount()));
    for (qsizetype i = m_captureNext; i <= m_captureSliceEnd; ++i) {
        if (i >= available) {
            m_captureSliceEnd = 0;
            const StoreResult made =
                MakeXML(m_index, m_programFolder, m_saveDisc, m_saveCatalog, m_saveEntries);
            const qsizetype count = m_saveEntries.size();
            m_saveEntries.clear();
            if (!made) {
                m_services.messages->error(this, QString::fromLatin1(kErrorTitle), made.error);
                return true;
            }
            setStatusText(QStringLiteral("Ready. ") + signPadded(count) +
                          QStringLiteral(" files save into xml."));
            m_tree->addDiscNode(m_index.catalogs().at(m_index.findCatalog(m_saveCatalog)).name,
                                m_saveDisc);
            CountCatalogsAndDiscs();
            m_saveDisc.clear();
            m_saveCatalog.clear();
            return true;
        }
        // The exact byte count the list kept, not the rounded kilobytes it shows.
        m_saveEntries.append(m_listModel->row(int(i)).entry());
    }
    m_captureNext = m_captureSliceEnd + 1;
    m_timer3->start();
    return false;
}

void Form1::showSearch()
{
    if (m_searchWindow) {
        m_searchWindow->raise();
        m_searchWindow->activateWindow();
        return;
    }
    auto *window = new frmSearch(*this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_searchWindow = window;
    window->show();
}

QWidget *Form1::searchWindow() const
{
    return m_searchWindow;
}

} // namespace orlith
