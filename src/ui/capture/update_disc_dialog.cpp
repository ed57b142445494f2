// Orlith — desktop catalogue of removable media.
#include "ui/capture/update_disc_dialog.h"

#include "ui/capture/comparison_list.h"

#include "ui/common/style_icon.h"
#include "ui/main/file_list_model.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace orlith {

UpdateDiscDialog::UpdateDiscDialog(const QString &disc, const DiscUpdate &update,
                                   const ExtensionTable &extensions, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUpdateDisc"));
    setWindowTitle(QStringLiteral("Update CD/DVD - ") + disc);
    auto *layout = new QVBoxLayout(this);
    auto *summary = new QLabel(updateSummary(update), this);
    summary->setObjectName(QStringLiteral("lblSummary"));
    layout->addWidget(summary);
    if (update.kept > 0) {
        auto *kept = new QLabel(QStringLiteral("%1 files of folders that could not be read are "
                                               "kept as they were.")
                                    .arg(update.kept),
                                this);
        kept->setObjectName(QStringLiteral("lblKept"));
        layout->addWidget(kept);
    }

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabChanges"));
    const struct
    {
        const char *name;
        const char *caption;
        const QList<FileEntry> &entries;
    } pages[] = {{"lstAdded", "Added", update.added},
                 {"lstRemoved", "Removed", update.removed},
                 {"lstChanged", "Changed", update.changed}};
    for (int i = 0; i < 3; ++i) {
        QList<FileRow> rows;
        rows.reserve(pages[i].entries.size());
        for (const FileEntry &e : pages[i].entries)
            rows.append(FileRow(e.name, e.path, e.size, e.date, disc));
        auto *model = new FileListModel(this);
        model->setSortIcons(styleIcon(QStyle::SP_ArrowDown), styleIcon(QStyle::SP_ArrowUp));
        model->setRows(std::move(rows));
        model->colorRows(extensions, palette());
        m_lists[i] = model;
        QTableView *view = comparisonListView(model, pages[i].name, m_tabs);
        m_tabs->addTab(view, QStringLiteral("%1 (%2)")
                                 .arg(QLatin1String(pages[i].caption))
                                 .arg(pages[i].entries.size()));
    }
    layout->addWidget(m_tabs, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    if (!update.isEmpty()) {
        auto *apply = new QPushButton(QStringLiteral("Apply"), this);
        apply->setObjectName(QStringLiteral("cmdApply"));
        apply->setDefault(true);
        connect(apply, &QPushButton::clicked, this, &QDialog::accept);
        buttons->addWidget(apply);
    }
    auto *cancel = new QPushButton(
        update.isEmpty() ? QStringLiteral("Close") : QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(760, 440);
}

FileListModel &UpdateDiscDialog::list(int which) const
{
    return *m_lists[which];
}

} // namespace orlith
