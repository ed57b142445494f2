// Orlith — desktop catalogue of removable media.
#include "ui/archive/archive_window.h"

#include "core/archive/archive_job.h"
#include "core/settings/window_layout.h"
#include "core/store/store_result.h"
#include "ui/common/folder_chooser.h"
#include "ui/common/folder_list_widget.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlith {

ArchiveWindow::ArchiveWindow(const QString &programFolder, UiServices services, QWidget *parent)
    : QDialog(parent), m_programFolder(programFolder), m_services(services)
{
    setObjectName(QStringLiteral("frmArchive"));
    setWindowTitle(QStringLiteral("Archive your CD/DVD"));

    m_label1 = new QLabel(
        QStringLiteral("Please select files from the list that you want to archive and then "
                       "press Next button. For multiple selection press Ctrl and then click on "
                       "files."),
        this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setWordWrap(true);
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("FileXML"));
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_files->addItems(storeFileNames(programFolder));
    m_selectAll = new QPushButton(QStringLiteral("Select All"), this);
    m_selectAll->setObjectName(QStringLiteral("cmdSelectAll"));
    m_unselectAll = new QPushButton(QStringLiteral("Unselect All"), this);
    m_unselectAll->setObjectName(QStringLiteral("cmdUnselectAll"));
    m_everything = new QCheckBox(QString::fromLatin1(kIncludeEverything), this);
    m_everything->setObjectName(QStringLiteral("chkEverything"));
    m_everything->setChecked(true);

    m_label2 = new QLabel(
        QStringLiteral("Please chose locaion for your new archive from the left and then click "
                       "Finish to make archive. Chose location by double click on folder."),
        this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setWordWrap(true);
    // Never the data folder: an archive beside the store is lost with it.
    m_folders = new FolderChooser(keptFolder(programFolder, KeptFolder::Archive, QDir::homePath()),
                                  services, {}, this);

    m_next = new QPushButton(QStringLiteral("Next"), this);
    m_next->setObjectName(QStringLiteral("cmdNext"));
    m_finish = new QPushButton(QStringLiteral("Finish"), this);
    m_finish->setObjectName(QStringLiteral("cmdFinish"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *selectRow = new QHBoxLayout;
    selectRow->addWidget(m_selectAll);
    selectRow->addWidget(m_unselectAll);
    selectRow->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    layout->addWidget(m_files);
    layout->addLayout(selectRow);
    layout->addWidget(m_everything);
    layout->addWidget(m_label2);
    layout->addWidget(m_folders);
    layout->addLayout(buttons);

    m_label2->hide();
    m_folders->hide();
    m_finish->hide();
    resize(460, 380);

    connect(m_selectAll, &QPushButton::clicked, this, &ArchiveWindow::cmdSelectAllClick);
    connect(m_unselectAll, &QPushButton::clicked, this, &ArchiveWindow::cmdUnselectAllClick);
    connect(m_next, &QPushButton::clicked, this, &ArchiveWindow::cmdNextClick);
    connect(m_finish, &QPushButton::clicked, this, &ArchiveWindow::cmdFinishClick);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ArchiveWindow::cmdSelectAllClick()
{
    m_files->selectAll();
}

void ArchiveWindow::cmdUnselectAllClick()
{
    m_files->clearSelection();
}

void ArchiveWindow::cmdNextClick()
{
    for (QWidget *w : {static_cast<QWidget *>(m_files), static_cast<QWidget *>(m_selectAll),
                       static_cast<QWidget *>(m_unselectAll), static_cast<QWidget *>(m_label1),
                       static_cast<QWidget *>(m_next)})
        w->hide();
    m_label2->show();
    m_finish->show();
    m_finish->setDefault(true);
    m_folders->show();
    m_folders->folderList().setFocus();
}

QStringList ArchiveWindow::selectedFiles() const
{
    QStringList names;
    for (int i = 0; i < m_files->count(); ++i) {
        if (m_files->item(i)->isSelected())
            names << m_files->item(i)->text();
    }
    return names;
}

void ArchiveWindow::cmdFinishClick()
{
    m_finish->setEnabled(false);
    const QString folder = m_folders->folder();
    ZipWriter zip;
    if (StoreResult refused = checkArchiveFolder(m_programFolder, folder); !refused)
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), refused.error);
    else if (archiveStoreFiles(zip, m_programFolder, folder, selectedFiles(),
                               m_everything->isChecked())) {
        keepFolder(m_programFolder, KeptFolder::Archive, folder);
        m_services.messages->information(this, QString::fromLatin1(kInformationTitle),
                                         archivedMessage(folder));
    } else
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QString::fromLatin1(kArchivingFailed));
    accept();
}

} // namespace orlith
