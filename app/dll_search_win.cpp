// Windows looks for a DLL in the folder of the program that loads it before
// the system folder, unless the DLL is one of the system's KnownDLLs: a DLL
// of the same name planted beside a program would run inside it. Every
// Pathquill program imports only KnownDLLs the ordinary way; every other DLL
// it needs is delay-loaded (cmake/windows-static-linking.cmake), and like
// any DLL loaded later, comes from the system folder only, as set here
// before any code of the program runs.

#include <windows.h>

namespace {

void NTAPI fromSystemFolderOnly(PVOID, DWORD reason, PVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

// A TLS callback runs as the process starts, before the C and C++ runtimes
// and any static constructor; .CRT$XLB comes before the runtime's own
// callbacks (XLC onwards).
extern "C" [[gnu::section(".CRT$XLB"), gnu::used]] const PIMAGE_TLS_CALLBACK pql_tls_callback =
    fromSystemFolderOnly;
