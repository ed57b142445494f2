# Zip and unzip over libzip, archive and restore (core); their windows (ui).
target_sources(orlith_core PRIVATE
    extras/zip_archive.h extras/zip_archive.cpp extras/unzip_archive.cpp
    extras/zip_glue.h extras/zip_glue.cpp
    extras/zip_library.h extras/zip_library.cpp
    extras/archive_job.h extras/archive_job.cpp
)
target_sources(orlith_ui PRIVATE
    extras/folder_list_widget.h extras/folder_list_widget.cpp
    extras/archive_window.h extras/archive_window.cpp
    extras/file_exist_dialog.h extras/file_exist_dialog.cpp
    extras/recover_window.h extras/recover_window.cpp
)
