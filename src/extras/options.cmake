# Statistics and the archive reminder (core); options and statistics windows (ui).
