# Zip classes, archive and restore.
orlith_add_test(tst_zip_archive extras/tst_zip_archive.cpp extras/archive_fixtures.h)
orlith_add_test(tst_archive_windows extras/tst_archive_windows.cpp extras/archive_fixtures.h)
orlith_add_test(tst_archive_cli extras/tst_archive_cli.cpp extras/archive_fixtures.h)
add_dependencies(tst_archive_cli orlith-cli)
