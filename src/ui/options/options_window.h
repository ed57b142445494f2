// Orlith — desktop catalogue of removable media.
#pragma once

#include "core/settings/option_colors.h"
#include "core/settings/settings_record.h"

#include <QDate>
#include <QDialog>

#include <array>

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;

namespace orlith {

// The options window. It shows the settings record when it opens; Apply (its OK button)
// writes the controls back into the record and accepts, Cancel leaves the record as
// it was. Writing Data.ini and rebuilding the extension table are the caller's. `today`
// is the day the archive dates are counted from.
class OptionsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit OptionsWindow(SettingsRecord &record, QDate today = QDate::currentDate(),
                           QWidget *parent = nullptr);

    // The colour swatch `index` of the palette, 0 to 19.
    QAbstractButton *swatch(int index) const { return m_swatches[size_t(index)]; }
    // The colour text that row `row` of the category colour list holds (what Apply stores).
    QString rowColorText(int row) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildGeneralFrames();
    void buildColorFrame();
    void fillFromRecord();
    void showTab(int tab);
    void setArchiveControlsEnabled(bool enabled);
    void chkUpdateClicked();
    void stepDays(bool up);
    void setRowColor(int row, const QString &colorText);
    void setAllRowColors(const std::array<QString, kCategoryCount> &colors);
    void swatchClicked(int index);
    void apply();

    SettingsRecord &m_record;
    QDate m_today;

    QTabBar *m_tabs = nullptr;
    QStackedWidget *m_pages = nullptr; // the General and Colors pages
    QGroupBox *m_frames[7] = {};
    QRadioButton *m_openFile = nullptr;
    QRadioButton *m_openLocation = nullptr;
    QCheckBox *m_tips = nullptr;
    QCheckBox *m_eject = nullptr;
    QCheckBox *m_update = nullptr;
    QLabel *m_today1 = nullptr;   // "Today is "
    QLabel *m_datum = nullptr;    // today's date
    QLabel *m_every = nullptr;    // "Every"
    QLineEdit *m_days = nullptr;  // days between archive reminders
    QLabel *m_daysUnit = nullptr; // "days."
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
    QLabel *m_future = nullptr;      // "You will be prompt "
    QLabel *m_archiveDate = nullptr; // the next reminder's date
    QListWidget *m_colors = nullptr;
    std::array<QAbstractButton *, kSwatchCount> m_swatches = {};
    QPushButton *m_ok = nullptr;
};

} // namespace orlith
