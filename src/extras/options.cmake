# Statistics and the archive reminder (core); options and statistics windows (ui).
target_sources(orlith_core PRIVATE
    extras/archive_reminder.h extras/archive_reminder.cpp
    extras/option_colors.h extras/option_colors.cpp
    extras/statistics.h extras/statistics.cpp
)
