# Statistics and the archive reminder (core); options and statistics windows (ui).
target_sources(orlith_core PRIVATE
    extras/archive_reminder.h extras/archive_reminder.cpp
    extras/option_colors.h extras/option_colors.cpp
    extras/statistics.h extras/statistics.cpp
)
target_sources(orlith_ui PRIVATE
    extras/options_window.h extras/options_window.cpp
    extras/stats_window.h extras/stats_window.cpp
)
