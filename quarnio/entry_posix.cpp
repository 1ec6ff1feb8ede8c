// The device library's load-time entry on a shared-object system: the loader runs these when the
// library is loaded and unloaded, as it calls DllMain on Windows.

#include "quarnio/library.h"

#include <cstdio>

namespace {

__attribute__((constructor)) void quarnioAttach() {
    if (!quarnio::loadEntry(1))
        std::fputs("QUARNIO: the poll timer could not be created\n", stderr);
}

__attribute__((destructor)) void quarnioDetach() {
    quarnio::loadEntry(0);
}

} // namespace
