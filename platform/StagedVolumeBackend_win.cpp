// The staged build's backend: the made-up volumes of staged-volumes.txt beside the executable,
// and, when staged-opened.txt is there too, a shell that writes down what it is asked to open.
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ShellOpen.h"
#include "platform/StagedVolumeQueries.h"
#include "platform/Text.h"
#include "platform/WideText.h"

namespace qs {

namespace {

std::filesystem::path ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        // A path that filled the buffer may have been cut short.
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
}

std::filesystem::path g_openedLog;

// One line per target, in UTF-8; succeeds as the shell does (a result above 32) when the line
// was written.
HINSTANCE WINAPI StagedShellExecute(HWND, LPCWSTR, LPCWSTR target, LPCWSTR, LPCWSTR, INT) {
    std::ofstream log(g_openedLog, std::ios::app | std::ios::binary);
    log << Utf16ToUtf8(FromWide(target)) << '\n';
    log.flush();
    const INT_PTR result = log ? 42 : SE_ERR_ACCESSDENIED;
    return reinterpret_cast<HINSTANCE>(result);
}

}  // namespace

void InstallShellBackend() {
    const std::filesystem::path folder = ExecutableFolder();
    std::error_code error;
    if (folder.empty() || !std::filesystem::exists(folder / L"staged-opened.txt", error))
        return;
    g_openedLog = folder / L"staged-opened.txt";
    SetShellExecuteForTesting(&StagedShellExecute);
}

std::unique_ptr<VolumeQueries> CreateVolumeQueries() {
    // Without our own folder there is no table to read: a relative path would pick one up from
    // the current folder. No volumes makes the walk fail at its start.
    const std::filesystem::path folder = ExecutableFolder();
    if (folder.empty()) {
        return StagedVolumeQueries::FromText({});
    }
    return StagedVolumeQueries::FromFile(folder / L"staged-volumes.txt");
}

}  // namespace qs
