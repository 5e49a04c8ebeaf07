// Windows looks for a DLL in the folder of the program that loads it before
// the system folder, unless the DLL is one of the system's KnownDLLs: a DLL
// of the same name planted beside a program would run inside it. Every
// Pathquill program imports only KnownDLLs the ordinary way; every other DLL
// it needs is delay-loaded (cmake/windows-static-linking.cmake), by the
// helper below, from the system folder only. Any DLL loaded later comes from
// there too, as set here before any code of the program runs.

#include <windows.h>

#include <delayimp.h>

#include <cstdarg>
#include <cstdio>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

template <typename T> T *atRva(RVA rva)
{
    return reinterpret_cast<T *>(reinterpret_cast<char *>(&__ImageBase) + rva);
}

// Ends the program as Windows' loader ends one that lacks a DLL or a
// function: with a sentence (`format` and what follows, as for printf), on
// standard error and, for a program with windows, in a message box titled
// PQL, and status 1. The names come from the program's own import tables,
// which hold ASCII.
[[noreturn, gnu::format(printf, 1, 2)]] void fail(const char *format, ...)
{
    char program[MAX_PATH] = "PQL";
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const char *name = path;
        for (const char *c = path; *c; ++c)
            if (*c == '\\' || *c == '/')
                name = c + 1;
        std::snprintf(program, sizeof program, "%.*s", int(::lstrlenA(name) - 4), name);
    }
    char text[1024];
    std::va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    char line[sizeof text + MAX_PATH];
    const int m = std::snprintf(line, sizeof line, "%s: %s\n", program, text);
    DWORD written;
    if (n > 0 && m > 0)
        ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line, DWORD(m), &written, nullptr);
    const auto *image = reinterpret_cast<const char *>(::GetModuleHandleW(nullptr));
    const auto *headers = reinterpret_cast<const IMAGE_NT_HEADERS *>(image + __ImageBase.e_lfanew);
    if (headers->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI)
        ::MessageBoxA(nullptr, text, "PQL", MB_OK | MB_ICONERROR);
    ::ExitProcess(1);
}

// The DLLs are looked for in the system folder alone: the default for
// every load that names no folders of its own (SetDefaultDllDirectories),
// the delay-loaded DLLs, Qt's and Windows' own loads among them. Loads that
// ask for the standard search order instead (LOAD_WITH_ALTERED_SEARCH_PATH,
// as COM's in-process servers and what they depend on are loaded) still
// look in the working directory, the shared models folder, unless the DLL
// directory is set: the empty one takes the working directory out of that
// order (SetDllDirectoryW). A program that cannot have both does not run:
// it would load whatever lies beside it or in the working folder.
void NTAPI fromSystemFolderOnly(PVOID, DWORD reason, PVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return;
    if (!::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        fail("Windows could not be told to load DLLs from its system folder only "
             "(SetDefaultDllDirectories, error %lu).",
             ::GetLastError());
    if (!::SetDllDirectoryW(L""))
        fail("The working folder could not be taken out of the search for DLLs "
             "(SetDllDirectoryW, error %lu).",
             ::GetLastError());
}

// The page protections that allow writing, and those that allow running.
constexpr DWORD writable =
    PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD runnable =
    PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// Threads that resolve functions at the same time take turns here: one
// thread's restored protection cannot take away another's right to write.
SRWLOCK importTableLock = SRWLOCK_INIT;

// Writes `function` into the import table entry, whatever protection the
// linker gave the table's pages: made writable (and still runnable, were
// they runnable) for the write, then as they were. False when Windows
// refused to change a protection.
bool writeEntry(FARPROC *entry, FARPROC function)
{
    ::AcquireSRWLockExclusive(&importTableLock);
    MEMORY_BASIC_INFORMATION page;
    bool done = ::VirtualQuery(entry, &page, sizeof page) == sizeof page;
    if (done && (page.Protect & writable)) {
        ::InterlockedExchangePointer(reinterpret_cast<PVOID *>(entry), PVOID(function));
    } else if (done) {
        DWORD was;
        done = ::VirtualProtect(entry, sizeof *entry,
                                page.Protect & runnable ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE,
                                &was);
        if (done) {
            ::InterlockedExchangePointer(reinterpret_cast<PVOID *>(entry), PVOID(function));
            done = ::VirtualProtect(entry, sizeof *entry, was, &was);
        }
    }
    ::ReleaseSRWLockExclusive(&importTableLock);
    return done;
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
// table read-only (binutils 2.44 does). A DLL or function that cannot be
// had ends the program with a sentence naming both.
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr import, FARPROC *entry)
{
    const char *dllName = atRva<const char>(import->rvaDLLName);
    const IMAGE_THUNK_DATA &name =
        atRva<const IMAGE_THUNK_DATA>(import->rvaINT)[entry - atRva<FARPROC>(import->rvaIAT)];
    char ordinal[16];
    const char *functionName = ordinal;
    if (IMAGE_SNAP_BY_ORDINAL(name.u1.Ordinal))
        std::snprintf(ordinal, sizeof ordinal, "#%u", unsigned(IMAGE_ORDINAL(name.u1.Ordinal)));
    else
        functionName = atRva<const IMAGE_IMPORT_BY_NAME>(RVA(name.u1.AddressOfData))->Name;

    auto *handle = atRva<HMODULE>(import->rvaHmod);
    HMODULE dll = *handle;
    if (!dll) {
        dll = ::LoadLibraryExA(dllName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!dll)
            fail("The function %s cannot be used: %s could not be loaded from the Windows "
                 "system folder (error %lu).",
                 functionName, dllName, ::GetLastError());
        // Another thread may have loaded it meanwhile: one reference is kept.
        if (::InterlockedExchangePointer(reinterpret_cast<PVOID *>(handle), dll) == dll)
            ::FreeLibrary(dll);
    }
    const FARPROC function = ::GetProcAddress(dll,
                                              IMAGE_SNAP_BY_ORDINAL(name.u1.Ordinal)
                                                  ? MAKEINTRESOURCEA(IMAGE_ORDINAL(name.u1.Ordinal))
                                                  : functionName);
    if (!function)
        fail("The function %s could not be found in %s (error %lu).", functionName, dllName,
             ::GetLastError());
    if (!writeEntry(entry, function))
        fail("The address of the function %s of %s could not be written into the program's "
             "import table (error %lu).",
             functionName, dllName, ::GetLastError());
    return function;
}
