// Orlith — desktop catalogue of removable media.
#include "ui/options/stats_window.h"

#include "ui/options/about_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlith {

namespace {

QGroupBox *fieldFrame(const char *name, const QString &title, const QList<StatisticsField> &fields,
                      QWidget *parent)
{
    auto *frame = new QGroupBox(title, parent);
    frame->setObjectName(QString::fromLatin1(name));
    auto *grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(12);
    for (int row = 0; row < fields.size(); ++row) {
        const StatisticsField &f = fields[row];
        auto *caption = new QLabel(f.caption, frame);
        caption->setObjectName(f.captionName);
        auto *value = new QLabel(f.value, frame);
        value->setObjectName(f.valueName);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
    }
    return frame;
}

} // namespace

StatsWindow::StatsWindow(const StoreStatistics &stats, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmStats"));
    setWindowTitle(QStringLiteral("Orlith stats"));

    const QList<StatisticsField> fields = statisticsFields(stats);
    auto *general = fieldFrame("frmGeneral", QStringLiteral("General"),
                               fields.mid(0, kGeneralFieldCount), this);
    auto *files =
        fieldFrame("frmFiles", QStringLiteral("Files"), fields.mid(kGeneralFieldCount), this);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(AboutDialog::programIcon(64));
    image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *frames = new QVBoxLayout;
    frames->addWidget(general);
    frames->addWidget(files);
    auto *top = new QHBoxLayout;
    top->addWidget(image);
    top->addSpacing(8);
    top->addLayout(frames, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

} // namespace orlith
