// Orlith — desktop catalogue of removable media.
#pragma once

#include "ui/options/tips.h"

#include <QDialog>

class QCheckBox;
class QLabel;

namespace orlith {

struct SettingsRecord;

// The tip of the day window (TipDialog). It opens showing a random tip, with "Show tips at
// startup" ticked when tipsAtStartSetting is "1". However it closes (Close, the close box,
// Escape), it stores the box into tipsAtStartSetting as "1" or "0"; the record is written
// to its file with the other settings at shut-down.
class TipDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TipDialog(SettingsRecord &settings, QWidget *parent = nullptr,
                       TipPicker::RandomSource random = {});

    // The tip shown now (0 to 15).
    int shownTip() const { return m_picker.last(); }

public slots:
    // The Next button: a random tip other than the one shown.
    void showNextTip();

    void done(int result) override;

private:
    SettingsRecord &m_settings;
    TipPicker m_picker;
    QLabel *m_tip = nullptr;
    QCheckBox *m_showTips = nullptr;
};

} // namespace orlith
