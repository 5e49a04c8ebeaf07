// pql-open.exe: starts PQL.exe, which lies beside it, in a folder: the one
// named on its command line, or the folder of the file named there. The
// Explorer verbs "Open Pathquill here" run it, since PQL takes no command
// line and Explorer starts a folder's own verb in that folder's parent.
// A GUI program, so no console window flashes; plain Win32, no Qt.

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

int fail(const wchar_t *what, const std::wstring &detail)
{
    const std::wstring text = std::wstring(what) + L"\n\n" + detail;
    ::MessageBoxW(nullptr, text.c_str(), L"PQL", MB_OK | MB_ICONERROR);
    return 1;
}

// The folder of this program, with its trailing backslash.
std::wstring ownFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t **argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc != 2)
        return fail(L"pql-open.exe takes one folder or file.", L"");
    std::wstring folder = argv[1];
    ::LocalFree(argv);

    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return fail(L"Pathquill cannot open this folder:", folder);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // A file (PQL.TXT): its folder. "C:\PQL.TXT" gives "C:\".
        const auto slash = folder.find_last_of(L"\\/");
        folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
        if (folder.size() > 3 && folder.back() == L'\\')
            folder.pop_back();
    }

    std::wstring program = ownFolder() + L"PQL.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process))
        return fail(L"Pathquill could not be started:", program);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}
