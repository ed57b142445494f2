// Orlith — desktop catalogue of removable media.
#include "ui/capture/new_disc_dialog.h"

#include "core/capture/disc_image.h"
#include "core/capture/drives.h"
#include "core/capture/medium_probe.h"
#include "core/store/store_edits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orlith {

namespace {

constexpr int kFolderRole = Qt::UserRole + 1;

QString itemText(const QString &path, const QString &label)
{
    return label.isEmpty() ? path : path + QStringLiteral("  [") + label + QLatin1Char(']');
}

} // namespace

NewDiscDialog::NewDiscDialog(const QStringList &catalogs, StoreEdits &edits, DriveProvider &drives,
                             UiServices services, bool virtualMode, QWidget *parent)
    : QDialog(parent), m_edits(edits), m_drives(drives), m_services(services),
      m_virtual(virtualMode)
{
    setObjectName(QStringLiteral("frmNewCD"));
    setWindowTitle(QStringLiteral("New CD/DVD"));

    auto *grid = new QGridLayout(this);
    auto *label1 = new QLabel(QStringLiteral("Enter name for new CD/DVD:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtNewCDName"));
    auto *label2 = new QLabel(QStringLiteral("Chose catalog for this CD:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    // The combos list choices only; nothing can be typed into them.
    m_catalog = new QComboBox(this);
    m_catalog->setObjectName(QStringLiteral("comCDCat"));
    m_catalog->addItem(QString::fromLatin1(kChoseCatalogText));
    m_catalog->addItems(catalogs);
    // With one catalog there is nothing to choose.
    if (catalogs.size() == 1)
        m_catalog->setCurrentIndex(1);
    auto *label3 = new QLabel(QStringLiteral("Chose CD/DVD drive:"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    m_drive = new QComboBox(this);
    m_drive->setObjectName(QStringLiteral("comCDROMs"));
    if (!m_virtual) {
        for (const QString &d : m_drives.discDrives())
            m_drive->addItem(itemText(d, m_drives.volumeLabel(d)), d);
        m_drive->addItem(QStringLiteral("Other folder..."));
        m_previousDrive = m_drive->count() > 1 ? 0 : -1;
        connect(m_drive, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (index >= 0 && !isOtherFolderItem(index))
                m_previousDrive = index;
        });
        // activated, not currentIndexChanged: picking "Other folder..." again when it is
        // already current (no drive at all) must still ask.
        connect(m_drive, &QComboBox::activated, this, &NewDiscDialog::driveActivated);
    }
    auto *image = new QPushButton(QStringLiteral("Image file..."), this);
    image->setObjectName(QStringLiteral("cmdImage"));
    image->setToolTip(QStringLiteral("Catalog an ISO image or an archive as a disc"));
    connect(image, &QPushButton::clicked, this, &NewDiscDialog::chooseImage);
    label3->setVisible(!m_virtual);
    m_drive->setVisible(!m_virtual);
    image->setVisible(!m_virtual);
    m_archives = new QCheckBox(QStringLiteral("Look inside archives"), this);
    m_archives->setObjectName(QStringLiteral("chkArchives"));
    m_archives->setToolTip(QStringLiteral("List the files inside zip, 7z, tar, iso and rar "
                                          "archives as files of the disc"));
    m_archives->setVisible(!m_virtual);
    m_checksums = new QCheckBox(QStringLiteral("Compute checksums"), this);
    m_checksums->setObjectName(QStringLiteral("chkChecksums"));
    m_checksums->setToolTip(QStringLiteral("Read every file whole and keep its checksum, to "
                                           "verify the disc and find copies by content later"));
    m_checksums->setVisible(!m_virtual);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &NewDiscDialog::checkAndAccept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_name, 1, 0);
    grid->addWidget(label2, 2, 0);
    grid->addWidget(m_catalog, 3, 0);
    grid->addWidget(label3, 4, 0);
    auto *driveRow = new QHBoxLayout;
    driveRow->addWidget(m_drive, 1);
    driveRow->addWidget(image);
    grid->addLayout(driveRow, 5, 0);
    grid->addWidget(m_archives, 6, 0);
    grid->addWidget(m_checksums, 7, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 8, 0);
    setMinimumWidth(340);
}

QString NewDiscDialog::discName() const
{
    return m_name->text();
}

QString NewDiscDialog::catalog() const
{
    return m_catalog->currentText();
}

QString NewDiscDialog::drive() const
{
    return m_virtual ? QString() : m_drive->currentData().toString();
}

bool NewDiscDialog::driveIsFolder() const
{
    return !m_virtual && m_drive->currentData(kFolderRole).toBool();
}

bool NewDiscDialog::lookInsideArchives() const
{
    return !m_virtual && m_archives->isChecked();
}

void NewDiscDialog::setLookInsideArchives(bool on)
{
    m_archives->setChecked(on);
}

bool NewDiscDialog::computeChecksums() const
{
    return !m_virtual && m_checksums->isChecked();
}

void NewDiscDialog::setComputeChecksums(bool on)
{
    m_checksums->setChecked(on);
}

bool NewDiscDialog::isOtherFolderItem(int index) const
{
    return !m_virtual && index == m_drive->count() - 1;
}

void NewDiscDialog::driveActivated(int index)
{
    if (!isOtherFolderItem(index))
        return;
    const QString chosen =
        m_services.desktop->chooseFolder(this, QStringLiteral("Chose folder for new CD/DVD"));
    if (chosen.isEmpty()) {
        if (m_previousDrive >= 0)
            m_drive->setCurrentIndex(m_previousDrive);
        return;
    }
    const QString path = QDir::cleanPath(chosen);
    m_drive->setCurrentIndex(addFolderItem(path, QDir(path).dirName()));
}

void NewDiscDialog::chooseImage()
{
    const QString chosen =
        m_services.desktop->chooseImage(this, QStringLiteral("Chose disc image for new CD/DVD"));
    if (chosen.isEmpty())
        return;
    const QString path = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
    m_drive->setCurrentIndex(addFolderItem(path, imageLabel(path)));
}

int NewDiscDialog::addFolderItem(const QString &path, const QString &label)
{
    // The same folder chosen twice, or a drive's own mount point, is not listed again.
    int at = m_drive->findData(path);
    if (at < 0) {
        at = m_drive->count() - 1;
        m_drive->insertItem(at, itemText(path, label.isEmpty() ? path : label), path);
        m_drive->setItemData(at, true, kFolderRole);
    }
    return at;
}

void NewDiscDialog::preselectCatalog(const QString &catalog)
{
    if (m_update || catalog.isEmpty())
        return;
    // findText matches letter case exactly; the tree and the list hold the same names.
    if (const int at = m_catalog->findText(catalog, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        at > 0)
        m_catalog->setCurrentIndex(at);
}

void NewDiscDialog::setUpdateOf(const QString &disc, const QString &catalog, const QString &folder)
{
    m_update = true;
    setWindowTitle(QStringLiteral("Update CD/DVD"));
    findChild<QLabel *>(QStringLiteral("Label1"))->setText(QStringLiteral("CD/DVD to update:"));
    findChild<QLabel *>(QStringLiteral("Label2"))->setText(QStringLiteral("Its catalog:"));
    m_name->setText(disc);
    m_name->setReadOnly(true);
    m_catalog->setCurrentIndex(std::max(0, m_catalog->findText(catalog)));
    m_catalog->setEnabled(false);
    if (folder.isEmpty())
        return;
    // A disc captured from an image is read from that image again, wherever it lies.
    if (const QString image = imageHolding(folder); !image.isEmpty()) {
        m_drive->setCurrentIndex(addFolderItem(image, imageLabel(image)));
        return;
    }
    // The longest mount point that holds the folder: a stick mounted where it was.
    int best = -1;
    for (int i = 0; i + 1 < m_drive->count(); ++i) {
        const QString mount = m_drive->itemData(i).toString();
        const bool holds =
            folder == mount ||
            folder.startsWith(mount.endsWith(QLatin1Char('/')) ? mount : mount + QLatin1Char('/'));
        if (holds && (best < 0 || mount.size() > m_drive->itemData(best).toString().size()))
            best = i;
    }
    if (best < 0 && QFileInfo(folder).isDir())
        best = addFolderItem(folder, QDir(folder).dirName());
    if (best >= 0)
        m_drive->setCurrentIndex(best);
}

bool NewDiscDialog::confirmNewMedium()
{
    // On the window's thread: only what identifies the disc, without asking udisks2.
    const MediumInfo medium = probeMedium(drive(), /*askDrive=*/false);
    if (medium.isEmpty())
        return true;
    const MediumMatch known = findDiscByMedium(m_edits.programFolder(), discInfoOf(medium));
    if (!known.found())
        return true;
    return m_services.messages->question(
               this, QStringLiteral("New CD/DVD"),
               tr("This medium is already catalogued as disc %1 in catalog %2. Catalog it "
                  "again?")
                   .arg(known.disc, known.catalog)) == MessageSink::Answer::Yes;
}

void NewDiscDialog::checkAndAccept()
{
    if (m_update) {
        // The disc exists: only the drive is checked.
        const char *problem = drive().isEmpty()                                 ? kNoValidDrive
                              : !driveIsFolder() && !m_drives.hasMedia(drive()) ? kNoMedia
                                                                                : nullptr;
        if (problem)
            m_services.messages->error(this, QString::fromLatin1(kErrorTitle),
                                       QString::fromLatin1(problem));
        else
            accept();
        return;
    }
    const NewDiscInput input{discName(), catalog(), drive(), m_virtual};
    // A folder is always ready, and an empty drive text gets checkNewDisc's "no drive"
    // message rather than "no media".
    const DriveProvider *mediaTest = driveIsFolder() || input.drive.isEmpty() ? nullptr : &m_drives;
    if (StoreResult r = m_edits.checkNewDisc(input, mediaTest); !r) {
        m_services.messages->error(this, QString::fromLatin1(kErrorTitle), r.error);
        return;
    }
    if (!m_virtual && !confirmNewMedium())
        return;
    accept();
}

} // namespace orlith
