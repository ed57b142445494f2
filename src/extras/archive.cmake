# Zip and unzip over libzip, archive and restore (core); their windows (ui).
