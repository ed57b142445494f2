// Orlith — desktop catalogue of removable media.
#include "ui/main/add_picture_dialog.h"

#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QImageReader>
#include <QListView>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace orlith {

namespace {

QStringList picturePatterns()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    return patterns;
}

bool isInside(const QString &path, const QString &root)
{
    return root == QLatin1String("/") || path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

frmAddPicture::frmAddPicture(const QString &programFolder, const QString &discName,
                             UiServices services, QWidget *parent)
    : QDialog(parent), m_programFolder(programFolder), m_disc(discName), m_services(services)
{
    setObjectName(QStringLiteral("frmAddPicture"));
    setWindowTitle(QStringLiteral("Add picture"));

    m_drives = new QComboBox(this);
    m_drives->setObjectName(QStringLiteral("Drive1"));
    fillDrives();

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_dirModel->setRootPath(QStringLiteral("/"));
    m_dirs = new QTreeView(this);
    m_dirs->setObjectName(QStringLiteral("Dir1"));
    m_dirs->setModel(m_dirModel);
    m_dirs->setHeaderHidden(true);
    for (int column = 1; column < m_dirModel->columnCount(); ++column)
        m_dirs->hideColumn(column);

    m_fileModel = new QFileSystemModel(this);
    m_fileModel->setFilter(QDir::Files);
    m_fileModel->setNameFilters(picturePatterns());
    m_fileModel->setNameFilterDisables(false);
    m_files = new QListView(this);
    m_files->setObjectName(QStringLiteral("File1"));
    m_files->setModel(m_fileModel);
    m_files->setSelectionMode(QAbstractItemView::SingleSelection);

    m_remove = new QCheckBox(QStringLiteral("Just remove already attached picture"), this);
    m_remove->setObjectName(QStringLiteral("chkRemovePicture"));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *folders = new QVBoxLayout;
    folders->addWidget(m_drives);
    folders->addWidget(m_dirs, 1);
    auto *lists = new QHBoxLayout;
    lists->addLayout(folders, 3);
    lists->addWidget(m_files, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    resize(600, 400);

    connect(m_drives, &QComboBox::activated, this,
            [this](int i) { selectFolder(m_drives->itemData(i).toString()); });
    connect(m_dirs->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    showFiles(m_dirModel->filePath(current));
            });
    // The chosen file is the selected one: a view may make a row current without the
    // user picking it.
    connect(m_files->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList selected = m_files->selectionModel()->selectedIndexes();
        m_chosen = selected.isEmpty() ? QString() : m_fileModel->filePath(selected.first());
    });
    // The tree fills in and sorts on another thread, moving rows as it goes: keep the
    // chosen folder in view until the user works in the tree.
    const auto follow = [this] {
        if (!m_dirs->hasFocus())
            scrollToFolderLater();
    };
    connect(m_dirModel, &QAbstractItemModel::rowsInserted, this, follow);
    connect(m_dirModel, &QAbstractItemModel::layoutChanged, this, follow);
    connect(m_files, &QListView::doubleClicked, this, &frmAddPicture::cmdOK_Click);
    connect(m_remove, &QCheckBox::toggled, this, [this](bool remove) {
        m_drives->setEnabled(!remove);
        m_dirs->setEnabled(!remove);
        m_files->setEnabled(!remove);
    });
    connect(ok, &QPushButton::clicked, this, &frmAddPicture::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    selectFolder(programFolder);
}

bool frmAddPicture::KopirajSliku(const QString &source, const QString &target, QString *error)
{
    const auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(tr("Cannot read %1:\n%2").arg(source, in.errorString()));
    QSaveFile out(target);
    // Unbuffered, so that every write is checked here: Qt 6.4's commit() renames the file
    // into place even when flushing a buffer fails (full disk).
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(tr("Cannot write %1:\n%2").arg(target, out.errorString()));
    std::array<char, 64 * 1024> block;
    for (;;) {
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0)
            return fail(tr("Cannot read %1:\n%2").arg(source, in.errorString()));
        if (n == 0)
            break;
        if (!writeAll(out, QByteArrayView(block.data(), n)))
            return fail(tr("Cannot write %1:\n%2").arg(target, out.errorString()));
    }
    if (!out.commit())
        return fail(tr("Cannot write %1:\n%2").arg(target, out.errorString()));
    return true;
}

void frmAddPicture::fillDrives()
{
    m_drives->addItem(QStringLiteral("/"), QStringLiteral("/"));
    m_drives->addItem(QDir::homePath(), QDir::homePath());
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo &a, const QStorageInfo &b) {
        return a.rootPath() < b.rootPath();
    });
    for (const QStorageInfo &volume : volumes) {
        const QString root = volume.rootPath();
        // Only real devices: pseudo file systems (proc, tmpfs, ...) hold no pictures.
        if (!volume.isValid() || !volume.isReady() ||
            !volume.device().startsWith(QByteArrayLiteral("/dev/")) ||
            m_drives->findData(root) >= 0)
            continue;
        const QString name = volume.name();
        m_drives->addItem(name.isEmpty() ? root : root + QStringLiteral(" [") + name + u']', root);
    }
}

void frmAddPicture::selectFolder(const QString &folder)
{
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    // The drive holding the folder is the deepest root it lies in.
    int drive = 0;
    for (int i = 0; i < m_drives->count(); ++i) {
        const QString root = m_drives->itemData(i).toString();
        if (isInside(path, root) && root.size() > m_drives->itemData(drive).toString().size())
            drive = i;
    }
    {
        const QSignalBlocker blocker(m_drives);
        m_drives->setCurrentIndex(drive);
    }
    showDrive(m_drives->itemData(drive).toString());

    const QModelIndex index = m_dirModel->index(path);
    m_dirs->setCurrentIndex(index);
    m_dirs->expand(index);
    scrollToFolderLater();
    showFiles(path);
}

void frmAddPicture::selectFile(const QString &path)
{
    const QFileInfo info(path);
    selectFolder(info.absolutePath());
    const QModelIndex index = m_fileModel->index(info.absoluteFilePath());
    if (index.isValid())
        m_files->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_chosen = info.absoluteFilePath();
}

void frmAddPicture::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    scrollToFolderLater();
}

void frmAddPicture::scrollToFolderLater()
{
    // Scrolling works only once the view has laid out its rows, after this event.
    QTimer::singleShot(0, m_dirs, [view = m_dirs] {
        view->scrollTo(view->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void frmAddPicture::showDrive(const QString &root)
{
    m_dirs->setRootIndex(root == QLatin1String("/") ? QModelIndex() : m_dirModel->index(root));
}

void frmAddPicture::showFiles(const QString &folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    m_files->selectionModel()->clear();
    m_chosen.clear();
    m_fileModel->setRootPath(folder);
    m_files->setRootIndex(m_fileModel->index(folder));
}

void frmAddPicture::cmdOK_Click()
{
    if (m_remove->isChecked()) {
        removePicture();
        return;
    }
    if (m_chosen.isEmpty()) {
        m_services.messages->information(this, QStringLiteral("Error"),
                                         QStringLiteral("You must chose one picture"));
        return;
    }
    // The whole picture is decoded, not just its header: a cut-off file is no picture.
    QImageReader reader(m_chosen);
    reader.setDecideFormatFromContent(true);
    if (reader.read().isNull()) {
        m_services.messages->information(this, QStringLiteral("Error"),
                                         QStringLiteral("Invalid picture type"));
        return;
    }
    const QString folder = picFolder(m_programFolder);
    if (!QDir().mkpath(folder)) {
        m_services.messages->error(this, QStringLiteral("Error"),
                                   tr("Cannot create the folder %1").arg(folder));
        return;
    }
    QString error;
    if (!KopirajSliku(m_chosen, picturePath(m_programFolder, m_disc), &error)) {
        m_services.messages->error(this, QStringLiteral("Error"), error);
        return;
    }
    accept();
}

void frmAddPicture::removePicture()
{
    const QString target = picturePath(m_programFolder, m_disc);
    // DestroyFile creates a missing file before deleting it; there is nothing to do then.
    if (QFileInfo::exists(target)) {
        if (const StoreResult result = DestroyFile(target); !result) {
            m_services.messages->error(this, QStringLiteral("Error"), result.error);
            return;
        }
    }
    accept();
}

} // namespace orlith
