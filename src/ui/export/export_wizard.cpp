// Orlith — desktop catalogue of removable media.
#include "ui/export/export_wizard.h"

#include "core/export/export_walk.h"
#include "core/store/program_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace orlith {

namespace {

constexpr char kInformationTitle[] = "Information";
// The device-unavailable error number the drive message ends with.
constexpr int kDriveNotReadyError = 68;
const char *const kNextButtonNames[] = {"cmdNext", "cmdNext2", "cmdNext3"};

QLabel *instructionLabel(const char *objectName, const char *text, QWidget *parent)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QLatin1String(objectName));
    label->setWordWrap(true);
    return label;
}

} // namespace

ExportWizard::ExportWizard(const QString &programFolder, UiServices services,
                           const ExportWizardSetup &setup, QWidget *parent)
    : QDialog(parent), m_programFolder(programFolder), m_services(services), m_setup(setup)
{
    setObjectName(QLatin1String(setup.objectName));
    setWindowTitle(QLatin1String(setup.caption));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    layout->addLayout(buttons);
    m_buttonsLayout = buttons;
    resize(560, 420);
}

QGroupBox *ExportWizard::addPage(const char *objectName, const char *caption)
{
    auto *page = new QGroupBox(QString::fromLatin1(caption), m_stack);
    page->setObjectName(QLatin1String(objectName));
    new QVBoxLayout(page);
    m_stack->addWidget(page);
    m_pages.append(page);
    return page;
}

QGroupBox *ExportWizard::addDiscPage(const char *objectName, const char *caption,
                                     const char *instruction)
{
    m_discPage = addPage(objectName, caption);
    m_file1 = new QListWidget(m_discPage);
    m_file1->setObjectName(QStringLiteral("File1"));
    m_file1->setSelectionMode(m_setup.extendedSelection ? QAbstractItemView::ExtendedSelection
                                                        : QAbstractItemView::MultiSelection);
    m_file1->addItems(discFileItems(cdsFolder(m_programFolder)));
    m_discPage->layout()->addWidget(m_file1);
    m_discPage->layout()->addWidget(instructionLabel("Label1", instruction, m_discPage));
    return m_discPage;
}

QGroupBox *ExportWizard::addLocationPage(const char *objectName, const char *caption,
                                         const char *frameName, const char *frameCaption,
                                         const char *nameBoxName, const char *instruction,
                                         const QString &startFolder)
{
    m_locationPage = addPage(objectName, caption);
    auto *layout = static_cast<QVBoxLayout *>(m_locationPage->layout());
    layout->addWidget(instructionLabel("Label2", instruction, m_locationPage));

    m_drive1 = new QComboBox(m_locationPage);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    layout->addWidget(m_drive1);

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_dir1 = new QTreeView(m_locationPage);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setModel(m_dirModel);
    m_dir1->setHeaderHidden(true);
    for (int column = 1; column < m_dirModel->columnCount(); ++column)
        m_dir1->hideColumn(column);
    layout->addWidget(m_dir1, 1);
    connect(m_dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    m_folder = m_dirModel->filePath(current);
            });

    auto *frame = new QGroupBox(QString::fromLatin1(frameCaption), m_locationPage);
    frame->setObjectName(QLatin1String(frameName));
    auto *frameLayout = new QVBoxLayout(frame);
    m_name = new QLineEdit(frame);
    m_name->setObjectName(QLatin1String(nameBoxName));
    frameLayout->addWidget(m_name);
    layout->addWidget(frame);

    fillDrives(startFolder);
    connect(m_drive1, &QComboBox::currentIndexChanged, this,
            [this](int index) { changeDrive(m_drive1->itemText(index)); });
    return m_locationPage;
}

// Mounted volumes and the disc drives, with the drive that holds the start folder chosen
// and Dir1 on that folder.
void ExportWizard::fillDrives(const QString &startFolder)
{
    QStringList drives;
    // Read-only volumes (snaps, images) cannot take an export; the disc drives are listed
    // anyway, as the drive list always shows them.
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !volume.isReadOnly()
            && !drives.contains(volume.rootPath()))
            drives.append(volume.rootPath());
    }
    for (const QString &drive : m_services.drives->ListDiscDrives()) {
        if (!drives.contains(drive))
            drives.append(drive);
    }
    const QString start = QDir::cleanPath(QFileInfo(startFolder).absoluteFilePath());
    QString startDrive = QStringLiteral("/");
    for (const QString &drive : std::as_const(drives)) {
        const QString root = drive.endsWith(QLatin1Char('/')) ? drive : drive + QLatin1Char('/');
        if ((start == drive || start.startsWith(root)) && drive.size() > startDrive.size())
            startDrive = drive;
    }
    if (!drives.contains(startDrive))
        drives.prepend(startDrive);
    m_drive1->addItems(drives);
    m_drive1->setCurrentIndex(int(drives.indexOf(startDrive)));
    m_dirModel->setRootPath(startDrive);
    m_dir1->setRootIndex(m_dirModel->index(startDrive));
    m_folder = startDrive;
    setDestinationFolder(start);
}

void ExportWizard::setDestinationFolder(const QString &folder)
{
    m_folder = folder;
    const QModelIndex index = m_dirModel->index(folder);
    if (index.isValid() && index != m_dir1->rootIndex()) {
        m_dir1->setCurrentIndex(index);
        m_dir1->scrollTo(index);
    }
    m_folder = folder; // setCurrentIndex reports the model's spelling; keep the caller's
}

bool ExportWizard::isDriveReady(const QString &drive) const
{
    const QFileInfo info(drive);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        return false;
    return !m_services.drives->ListDiscDrives().contains(drive) ||
           m_services.drives->HasMedia(drive);
}

void ExportWizard::changeDrive(const QString &drive)
{
    if (!isDriveReady(drive)) {
        showError(QStringLiteral("Drive is not ready. %1").arg(kDriveNotReadyError));
        return;
    }
    m_dirModel->setRootPath(drive);
    m_dir1->setRootIndex(m_dirModel->index(drive));
    m_dir1->setCurrentIndex({});
    m_folder = drive;
}

void ExportWizard::finishPages()
{
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        const bool last = i + 1 == m_pages.size();
        auto *button =
            new QPushButton(last ? QStringLiteral("Finish") : QStringLiteral("Next"), this);
        button->setObjectName(last ? QStringLiteral("cmdFinish")
                                   : QLatin1String(kNextButtonNames[std::min<qsizetype>(i, 2)]));
        button->setVisible(i == 0);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
                last ? &ExportWizard::Finish : &ExportWizard::next);
        m_buttonsLayout->addWidget(button);
        m_buttons.append(button);
    }
    m_buttonsLayout->addWidget(cancel);
    cancel->setAutoDefault(false);
    if (m_setup.enterAndEscape)
        m_buttons.first()->setDefault(true);
    m_stack->setCurrentIndex(0);
}

void ExportWizard::next()
{
    const qsizetype page = m_stack->currentIndex();
    if (page + 1 >= m_pages.size() || !canLeave(m_pages.at(page)))
        return;
    m_buttons.at(page)->hide();
    m_stack->setCurrentIndex(int(page + 1));
    m_buttons.at(page + 1)->show();
}

bool ExportWizard::canLeave(QGroupBox *page)
{
    // VB-style file lists test their current item, not the selection.
    if (page == m_discPage && !m_file1->currentItem()) {
        showError(QLatin1String(m_setup.selectMessage));
        return false;
    }
    return true;
}

bool ExportWizard::canFinish()
{
    if (fileName().isEmpty()) {
        showError(QStringLiteral("You must enter file name."));
        return false;
    }
    return true;
}

QString ExportWizard::fileName() const
{
    return m_name->text();
}

QStringList ExportWizard::selectedItems() const
{
    QStringList items;
    for (int row = 0; row < m_file1->count(); ++row) {
        if (m_file1->item(row)->isSelected())
            items.append(m_file1->item(row)->text());
    }
    return items;
}

void ExportWizard::Finish()
{
    if (!canFinish())
        return;
    const QString path = exportOutputPath(m_folder, fileName(), m_setup.format);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const StoreResult result =
        exportDiscs(m_setup.format, path, cdsFolder(m_programFolder), selectedItems(), options());
    QApplication::restoreOverrideCursor();
    if (!result) {
        showError(result.error);
        return;
    }
    m_services.messages->information(this, QLatin1String(kInformationTitle),
                                     QLatin1String(m_setup.successMessage));
    accept();
}

void ExportWizard::showError(const QString &text)
{
    m_services.messages->error(this, QLatin1String(kErrorTitle), text);
}

void ExportWizard::showEvent(QShowEvent *event)
{
    // Centred over the main window when it first appears.
    if (!m_centred && parentWidget()) {
        const QRect main = parentWidget()->window()->frameGeometry();
        move(main.left() + main.width() / 2 - frameGeometry().width() / 2,
             main.top() + main.height() / 2 - frameGeometry().height() / 2);
        m_centred = true;
    }
    QDialog::showEvent(event);
}

void ExportWizard::keyPressEvent(QKeyEvent *event)
{
    // Without the cancel binding Esc does nothing.
    if (!m_setup.enterAndEscape && event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace orlith
