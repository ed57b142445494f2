// Orlith — desktop catalogue of removable media.
#include "ui/main/add_picture_dialog.h"

#include "core/settings/window_layout.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"
#include "ui/common/folder_chooser.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QImageReader>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

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

} // namespace

AddPictureDialog::AddPictureDialog(const QString &programFolder, const QString &discName,
                                   UiServices services, QWidget *parent)
    : QDialog(parent), m_programFolder(programFolder), m_disc(discName), m_services(services)
{
    setObjectName(QStringLiteral("frmAddPicture"));
    setWindowTitle(QStringLiteral("Add picture"));

    // Clicking a folder shows its pictures, as a click in a folder tree would.
    m_folders =
        new FolderChooser(keptFolder(programFolder, KeptFolder::Picture, programFolder), services,
                          {FolderChooser::Drives::Devices, /*highlightChooses=*/true,
                           /*keepFailedDrive=*/false},
                          this);

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

    auto *lists = new QHBoxLayout;
    lists->addWidget(m_folders, 3);
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

    connect(m_folders, &FolderChooser::folderChanged, this, &AddPictureDialog::showFiles);
    // The chosen file is the selected one: a view may make a row current without the
    // user picking it.
    connect(m_files->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList selected = m_files->selectionModel()->selectedIndexes();
        m_chosen = selected.isEmpty() ? QString() : m_fileModel->filePath(selected.first());
    });
    connect(m_files, &QListView::doubleClicked, this, &AddPictureDialog::cmdOK_Click);
    connect(m_remove, &QCheckBox::toggled, this, [this](bool remove) {
        m_folders->setEnabled(!remove);
        m_files->setEnabled(!remove);
    });
    connect(ok, &QPushButton::clicked, this, &AddPictureDialog::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    selectFolder(programFolder);
}

StoreResult AddPictureDialog::copyPictureFile(const QString &source, const QString &target)
{
    const auto fail = [](const QString &message) { return StoreResult::failure(message); };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(tr("Cannot read %1:\n%2").arg(source, in.errorString()));
    AtomicFile out(target);
    if (StoreResult opened = out.open(); !opened)
        return fail(opened.error);
    std::array<char, 64 * 1024> block;
    for (;;) {
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0)
            return fail(tr("Cannot read %1:\n%2").arg(source, in.errorString()));
        if (n == 0)
            break;
        if (!out.write(QByteArrayView(block.data(), n)))
            return fail(out.error());
    }
    return out.commit();
}

void AddPictureDialog::selectFolder(const QString &folder)
{
    m_folders->setFolder(folder);
    showFiles(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

void AddPictureDialog::selectFile(const QString &path)
{
    const QFileInfo info(path);
    selectFolder(info.absolutePath());
    const QModelIndex index = m_fileModel->index(info.absoluteFilePath());
    if (index.isValid())
        m_files->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_chosen = info.absoluteFilePath();
}

void AddPictureDialog::showFiles(const QString &folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    m_files->selectionModel()->clear();
    m_chosen.clear();
    m_fileModel->setRootPath(folder);
    m_files->setRootIndex(m_fileModel->index(folder));
}

void AddPictureDialog::cmdOK_Click()
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
    const QImage image = reader.read();
    if (image.isNull()) {
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
    // The store holds JPEG under ".jpg": a JPEG is kept byte for byte, anything else is
    // converted.
    const QString target = picturePath(m_programFolder, m_disc);
    const StoreResult stored = reader.format() == "jpeg" ? copyPictureFile(m_chosen, target)
                                                         : writeJpegFile(image, target);
    if (!stored) {
        m_services.messages->error(this, QStringLiteral("Error"), stored.error);
        return;
    }
    keepFolder(m_programFolder, KeptFolder::Picture, QFileInfo(m_chosen).absolutePath());
    accept();
}

StoreResult AddPictureDialog::writeJpegFile(const QImage &image, const QString &target)
{
    // JPEG has no transparency: transparent parts show white, as on a page, not black.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !flat.save(&buffer, "JPEG", kJpegQuality))
        return StoreResult::failure(tr("Cannot convert the picture to JPEG for %1").arg(target));
    AtomicFile out(target);
    if (StoreResult opened = out.open(); !opened)
        return opened;
    if (!out.write(bytes))
        return StoreResult::failure(out.error());
    return out.commit();
}

void AddPictureDialog::removePicture()
{
    const QString target = picturePath(m_programFolder, m_disc);
    if (const StoreResult result = removeStoreFile(target); !result) {
        m_services.messages->error(this, QStringLiteral("Error"), result.error);
        return;
    }
    accept();
}

} // namespace orlith
