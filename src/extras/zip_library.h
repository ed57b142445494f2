// Orlith — desktop catalogue of removable media.
#pragma once

class QString;

namespace orlith::zipglue {

// Loads libzip on the first call. False when it cannot be loaded, with a sentence naming
// the library and the loader's reason in `why`; every zip job then fails with it.
bool zipLibraryLoaded(QString *why = nullptr);

} // namespace orlith::zipglue
