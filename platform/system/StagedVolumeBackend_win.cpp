// The staged build's backend: the made-up volumes of staged-volumes.txt beside the executable.
#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/system/StagedVolumeQueries.h"

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

}  // namespace

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
