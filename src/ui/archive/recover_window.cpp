// Orlith — desktop catalogue of removable media.
#include "ui/archive/recover_window.h"

#include "core/store/store_result.h"
#include "ui/archive/file_exist_dialog.h"
#include "ui/common/folder_chooser.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlith {

RecoverWindow::RecoverWindow(const QString &programFolder, UiServices services, QWidget *parent)
    : QDialog(parent), m_programFolder(programFolder), m_services(services)
{
    setObjectName(QStringLiteral("frmRecover"));
    setWindowTitle(QStringLiteral("Restore"));

    m_frame1 = new QGroupBox(QStringLiteral("Select archive"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_folders = new FolderChooser(QDir::currentPath(), services, {}, m_frame1);
    m_file1 = new QListWidget(m_frame1);
    m_file1->setObjectName(QStringLiteral("File1"));
    auto *pick = new QHBoxLayout(m_frame1);
    pick->addWidget(m_folders);
    pick->addWidget(m_file1);

    m_frame2 = new QGroupBox(QStringLiteral("Chose CDs/DVDs in archive to recover"), this);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    m_list1 = new QListWidget(m_frame2);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto *label1 =
        new QLabel(QStringLiteral("Please select files from archive to restore."), m_frame2);
    label1->setObjectName(QStringLiteral("Label1"));
    auto *entries = new QVBoxLayout(m_frame2);
    entries->addWidget(label1);
    entries->addWidget(m_list1);

    m_next = new QPushButton(QStringLiteral("Next"), this);
    m_next->setObjectName(QStringLiteral("cmdNext"));
    m_finish = new QPushButton(QStringLiteral("Finish"), this);
    m_finish->setObjectName(QStringLiteral("cmdFinish"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_answer = new QLineEdit(this);
    m_answer->setObjectName(QStringLiteral("txtFileExist"));
    m_answer->hide();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_frame1);
    layout->addWidget(m_frame2);
    layout->addLayout(buttons);

    m_frame2->hide();
    m_finish->hide();
    resize(520, 360);

    connect(m_folders, &FolderChooser::folderChanged, this, &RecoverWindow::refreshFiles);
    connect(m_next, &QPushButton::clicked, this, &RecoverWindow::cmdNextClick);
    connect(m_finish, &QPushButton::clicked, this, &RecoverWindow::cmdFinishClick);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    refreshFiles();
}

void RecoverWindow::refreshFiles()
{
    m_file1->clear();
    m_file1->addItems(
        QDir(m_folders->folder()).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name));
}

bool RecoverWindow::selectArchive(const QString &fileName)
{
    const QList<QListWidgetItem *> found = m_file1->findItems(fileName, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    m_file1->setCurrentItem(found.first());
    return true;
}

QString RecoverWindow::zipPath() const
{
    const QListWidgetItem *item = m_file1->currentItem();
    if (!item || !item->isSelected())
        return {};
    return m_folders->folder() + QLatin1Char('/') + item->text();
}

void RecoverWindow::cmdNextClick()
{
    const QString zip = zipPath();
    if (zip.isEmpty()) {
        // An "Error" title with the information icon, as the window always had.
        m_services.messages->information(this, QString::fromLatin1(kErrorTitle),
                                         QString::fromLatin1(kSelectArchive));
        return;
    }
    m_frame1->hide();
    m_frame2->show();
    m_list1->clear();
    m_list1->addItems(archiveRowNames(zip).value);
    m_list1->clearSelection();
    m_finish->show();
    m_next->hide();
}

void RecoverWindow::cmdFinishClick()
{
    const QString zip = zipPath();
    // Listed afresh: the rows are the archive's as it is now.
    const ArchiveContents contents = readArchiveContents(zip).value;
    QList<bool> selected;
    for (int i = 0; i < m_list1->count(); ++i)
        selected << m_list1->item(i)->isSelected();
    OverwriteAnswer answer = answerFromText(m_answer->text());
    const RestoreChoice choice = decideRestore(m_programFolder, contents, selected, answer,
                                               [this](const OverwriteCase &file, OverwriteAnswer) {
                                                   FileExistDialog question(m_answer, this);
                                                   question.setInformation(overwriteQuestion(file));
                                                   question.exec();
                                                   return answerFromText(m_answer->text());
                                               });
    m_answer->setText(answerText(answer));
    for (int i = 0; i < m_list1->count(); ++i)
        m_list1->item(i)->setSelected(choice.selected.value(i));

    m_outcome = restoreFromArchive(m_programFolder, zip, choice);
    // Entries skipped for their names are no loss; an archive that could not be read, or
    // entries that could not be written, are worth a word.
    if (!m_outcome.result)
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                   QStringLiteral("Cannot restore every file from %1:\n%2")
                                       .arg(zip, m_outcome.result.error));
    m_services.messages->information(this, QString::fromLatin1(kInformationTitle),
                                     summaryText(m_outcome.summary));
    accept();
}

} // namespace orlith
