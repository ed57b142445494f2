# Options, archive reminder and statistics.
orlith_add_test(tst_options extras/tst_options.cpp)
add_dependencies(tst_options orlith-cli)
