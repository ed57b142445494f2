// Orlith — desktop catalogue of removable media.
#pragma once

namespace orlith::test {

// `tst_faults --child OP DATA MEDIA`: runs one store write OP on the data folder DATA (MEDIA
// is the folder a capture walks) and prints what the user would be told.
int runFaultChild(int argc, char **argv);

} // namespace orlith::test
