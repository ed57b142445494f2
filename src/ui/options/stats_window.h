// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/search/statistics.h"

#include <QDialog>

namespace orlith {

// The statistics window (StatsWindow): the figures of a store, computed before it opens. The
// captions and values are labels with the object names statisticsFields() gives them.
class StatsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit StatsWindow(const StoreStatistics &stats, QWidget *parent = nullptr);
};

} // namespace orlith
