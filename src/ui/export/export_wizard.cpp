// Orlith — desktop catalogue of removable media.
#include "ui/export/export_wizard.h"

#include "core/export/export_walk.h"
#include "core/settings/window_layout.h"
#include "core/store/program_folder.h"
#include "ui/common/folder_chooser.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace orlith {

namespace {

constexpr char kInformationTitle[] = "Information";
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
    // Qt makes the first row current when a list without one gets the keyboard focus, which
    // would let Next pass with nothing chosen; an explicit "none" keeps it without one.
    m_file1->setCurrentIndex(QModelIndex());
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

    // A folder highlighted in the folder list is the destination, as a click in a folder
    // tree is.
    m_folders =
        new FolderChooser(keptFolder(m_programFolder, KeptFolder::Export, startFolder), m_services,
                          {FolderChooser::Drives::Writable, /*highlightChooses=*/true,
                           /*keepFailedDrive=*/true},
                          m_locationPage);
    layout->addWidget(m_folders, 1);

    auto *frame = new QGroupBox(QString::fromLatin1(frameCaption), m_locationPage);
    frame->setObjectName(QLatin1String(frameName));
    auto *frameLayout = new QVBoxLayout(frame);
    m_name = new QLineEdit(frame);
    m_name->setObjectName(QLatin1String(nameBoxName));
    frameLayout->addWidget(m_name);
    layout->addWidget(frame);

    return m_locationPage;
}

QString ExportWizard::destinationFolder() const
{
    return m_folders->folder();
}

void ExportWizard::setDestinationFolder(const QString &folder)
{
    m_folders->setFolder(folder);
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
    showPage(page + 1);
}

void ExportWizard::showPage(qsizetype page)
{
    // A list export has no disc page to pass through.
    if (m_listMode && m_pages.at(page) == m_discPage && page + 1 < m_pages.size())
        ++page;
    m_buttons.at(m_stack->currentIndex())->hide();
    m_stack->setCurrentIndex(int(page));
    m_buttons.at(page)->show();
}

void ExportWizard::exportListRows(const QList<FileRow> &rows)
{
    m_listMode = true;
    m_listRows = rows;
    if (m_stack->currentWidget() == m_discPage)
        showPage(m_stack->currentIndex());
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
    const QString path = exportOutputPath(destinationFolder(), fileName(), m_setup.format);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const StoreResult result =
        m_listMode ? exportRows(m_setup.format, path, m_listRows, options(), m_programFolder)
                   : exportDiscs(m_setup.format, path, cdsFolder(m_programFolder), selectedItems(),
                                 options());
    QApplication::restoreOverrideCursor();
    if (!result) {
        showError(result.error);
        return;
    }
    keepFolder(m_programFolder, KeptFolder::Export, destinationFolder());
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
