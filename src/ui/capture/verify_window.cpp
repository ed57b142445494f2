// Orlith — desktop catalogue of removable media.
#include "ui/capture/verify_window.h"

#include "ui/capture/comparison_list.h"

#include "ui/common/style_icon.h"
#include "ui/main/file_list_model.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace orlith {

namespace {

constexpr const char *kCaptions[] = {"Changed", "Missing", "Unreadable", "New", "Not checksummed"};
constexpr const char *kNames[] = {"lstChanged", "lstMissing", "lstUnreadable", "lstNew",
                                  "lstNotChecksummed"};

} // namespace

VerifyWindow::VerifyWindow(const QString &disc, VerifyTask *task, const ExtensionTable &extensions,
                           QWidget *parent)
    : QDialog(parent), m_disc(disc), m_task(task), m_extensions(extensions)
{
    setObjectName(QStringLiteral("frmVerify"));
    setWindowTitle(QStringLiteral("Verify CD/DVD - ") + disc);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(QStringLiteral("Reading the folders of %1...").arg(task->verify().medium()),
                        this);
    m_text->setObjectName(QStringLiteral("lblProgress"));
    layout->addWidget(m_text);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("prgVerify"));
    m_bar->setRange(0, 0);
    layout->addWidget(m_bar);
    m_rate = new QLabel(this);
    m_rate->setObjectName(QStringLiteral("lblRate"));
    layout->addWidget(m_rate);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabVerify"));
    for (int i = 0; i < ListCount; ++i) {
        m_lists[i] = new FileListModel(this);
        m_lists[i]->setSortIcons(styleIcon(QStyle::SP_ArrowDown), styleIcon(QStyle::SP_ArrowUp));
        m_tabs->addTab(comparisonListView(m_lists[i], kNames[i], m_tabs),
                       QString::fromLatin1(kCaptions[i]));
    }
    layout->addWidget(m_tabs, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setEnabled(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(m_ok);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(m_cancel, &QPushButton::clicked, this, &VerifyWindow::reject);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    resize(760, 480);

    connect(task, &VerifyTask::progress, this, &VerifyWindow::showProgress);
    connect(task, &VerifyTask::finished, this, &VerifyWindow::showReport);
    task->start();
}

FileListModel &VerifyWindow::list(List which) const
{
    return *m_lists[which];
}

// While the verify runs, Cancel and closing the window stop it; the lists then show what
// was found so far.
void VerifyWindow::reject()
{
    if (m_ended)
        QDialog::reject();
    else
        m_task->cancel();
}

void VerifyWindow::showProgress(const VerifyProgress &p)
{
    if (m_ended)
        return;
    if (p.walking) {
        m_text->setText(QStringLiteral("Reading the folders of %1... %2 files found.")
                            .arg(m_task->verify().medium())
                            .arg(p.filesFound));
        return;
    }
    m_bar->setRange(0, 100);
    m_bar->setValue(p.percent);
    m_text->setText(QStringLiteral("Reading files... %1 of %2, %3 MB.")
                        .arg(p.filesDone)
                        .arg(p.filesFound)
                        .arg(QString::number(double(p.bytesRead) / 1e6, 'f', 1)));
    m_rate->setText(p.rate);
}

void VerifyWindow::showReport(const StoreResult &result)
{
    m_ended = true;
    const DiscVerify &verify = m_task->verify();
    const DiscVerifyReport &r = verify.report();
    const QList<FileEntry> *entries[] = {&r.changed, &r.missing, &r.unreadable, &r.added,
                                         &r.unchecked};
    for (int i = 0; i < ListCount; ++i) {
        QList<FileRow> rows;
        rows.reserve(entries[i]->size());
        for (const FileEntry &e : *entries[i])
            rows.append(FileRow(e.name, e.path, e.size, e.date, m_disc));
        m_lists[i]->setRows(std::move(rows));
        m_lists[i]->colorRows(m_extensions, palette());
        m_tabs->setTabText(
            i, QStringLiteral("%1 (%2)").arg(QLatin1String(kCaptions[i])).arg(entries[i]->size()));
    }
    // The first list that holds anything is the one to look at.
    for (int i = 0; i < ListCount; ++i) {
        if (!entries[i]->isEmpty()) {
            m_tabs->setCurrentIndex(i);
            break;
        }
    }
    m_bar->setRange(0, 100);
    m_rate->clear();
    if (!result) {
        m_text->setText(result.error);
    } else {
        m_bar->setValue(verify.cancelled() ? m_bar->value() : 100);
        m_text->setText(
            verify.cancelled()
                ? QStringLiteral("Cancelled. ") + verifySummary(r)
                : (r.allOk() ? QStringLiteral("Every file is as catalogued. ") : QString()) +
                      verifySummary(r));
    }
    m_cancel->setEnabled(false);
    m_ok->setEnabled(true);
    m_ok->setDefault(true);
    emit verifyEnded(result);
}

} // namespace orlith
