// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/settings/statistics.h"

#include <QDialog>

namespace orlith {

// The statistics window (frmStats): the figures of a store, computed before it opens. The
// captions and values are labels with the object names statisticsFields() gives them.
class frmStats : public QDialog
{
    Q_OBJECT

public:
    explicit frmStats(const StoreStatistics &stats, QWidget *parent = nullptr);
};

} // namespace orlith
