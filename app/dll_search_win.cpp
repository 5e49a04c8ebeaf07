// Windows looks for a DLL in the folder of the program that loads it before
// the system folder, unless the DLL is one of the system's KnownDLLs: a DLL
// of the same name planted beside a program would run inside it. Every
// Pathquill program imports only KnownDLLs the ordinary way; every other DLL
// it needs is delay-loaded (cmake/windows-static-linking.cmake), by the
// helper below, from the system folder only. Any DLL loaded later comes from
// there too, as set here before any code of the program runs.

#include <windows.h>

#include <delayimp.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

template <typename T> T *atRva(RVA rva)
{
    return reinterpret_cast<T *>(reinterpret_cast<char *>(&__ImageBase) + rva);
}

[[noreturn]] void fail(DWORD error)
{
    ::RaiseException(VcppException(ERROR_SEVERITY_ERROR, error), 0, 0, nullptr);
    ::ExitProcess(error);
}

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

// The first call of a delay-loaded function comes here (from the thunks of
// dlltool's import libraries), in place of the C runtime's helper: it loads
// the DLL from the system folder, whatever the search path, and writes the
// function's address into the import table even where the linker left the
// table read-only (binutils 2.44 does). A DLL or function that is missing
// raises the exception Microsoft's helper raises.
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr import, FARPROC *entry)
{
    auto *handle = atRva<HMODULE>(import->rvaHmod);
    HMODULE dll = *handle;
    if (!dll) {
        dll = ::LoadLibraryExA(atRva<const char>(import->rvaDLLName), nullptr,
                               LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!dll)
            fail(ERROR_MOD_NOT_FOUND);
        // Another thread may have loaded it meanwhile: one reference is kept.
        if (::InterlockedExchangePointer(reinterpret_cast<PVOID *>(handle), dll) == dll)
            ::FreeLibrary(dll);
    }
    const IMAGE_THUNK_DATA &name =
        atRva<const IMAGE_THUNK_DATA>(import->rvaINT)[entry - atRva<FARPROC>(import->rvaIAT)];
    const FARPROC function =
        ::GetProcAddress(dll,
                         IMAGE_SNAP_BY_ORDINAL(name.u1.Ordinal)
                             ? MAKEINTRESOURCEA(IMAGE_ORDINAL(name.u1.Ordinal))
                             : atRva<const IMAGE_IMPORT_BY_NAME>(RVA(name.u1.AddressOfData))->Name);
    if (!function)
        fail(ERROR_PROC_NOT_FOUND);
    DWORD protection;
    ::VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &protection);
    *entry = function;
    ::VirtualProtect(entry, sizeof *entry, protection, &protection);
    return function;
}
