// Orlith — desktop catalogue of removable media.
// Options window, statistics and the archive reminder.
#include "ui/main/main_window.h"

#include "core/search/statistics.h"
#include "core/settings/archive_reminder.h"
#include "core/settings/option_colors.h"
#include "ui/options/options_window.h"
#include "ui/options/stats_window.h"

#include <QDate>
#include <QLabel>

namespace orlith {

void MainWindow::showOptions()
{
    OptionsWindow options(m_settings, QDate::currentDate(), this);
    if (options.exec() != QDialog::Accepted)
        return;
    // Rows already listed keep their colours until the list is coloured again.
    buildExtensionTable();
}

void MainWindow::showStatistics()
{
    setStatusText(QStringLiteral("Please wait..."));
    m_status->repaint(); // reading every disc file may take a moment
    const StoreStatistics stats = computeStatistics(m_programFolder, m_index, m_notes);
    setStatusText(QStringLiteral("Ready"));
    StatsWindow window(stats, this);
    window.exec();
}

void MainWindow::installArchiveReminder()
{
    // Runs in start-up after the settings and the extension table. A first start has no
    // colours at all, which would draw every list black: it starts from the "Default" set.
    if (fillUnsetCategoryColors(m_settings))
        buildExtensionTable();

    setStartupReminder([this] {
        const QDate today = QDate::currentDate();
        if (!isArchiveDay(m_settings, today))
            return;
        if (m_services.messages->question(this, QString::fromLatin1(kReminderTitle),
                                          archiveDayQuestion(), MessageSink::Buttons::YesNo,
                                          MessageSink::Icon::Information) ==
            MessageSink::Answer::Yes)
            archiveDiscs();
        m_services.messages->information(this, QStringLiteral("Information"),
                                         nextArchiveMessage(m_settings.archiveDaysSetting));
        scheduleNextArchive(m_settings, today);
    });
}

} // namespace orlith
