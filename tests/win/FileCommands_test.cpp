// The commands' Win32 halves: the copy on Windows files, where share modes refuse what POSIX would
// allow, and the call that goes to the shell.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "commands/SaveCopy.h"
#include "platform/PropertySheet.h"
#include "platform/WideText.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

SaveCopyOutcome Copy(const fs::path& source, const fs::path& target) {
    return SaveCopy(*MakeCopyFiles(), FromWide(source.c_str()), FromWide(target.c_str()));
}

// (A plain copy is made end to end; Wine lets root write a read-only file, so that case is left
// to the native fault table.)
TEST(SaveCopyWin, CopiesAndRefusesFilesThatAnotherHandleHolds) {
    const fs::path folder = fs::temp_directory_path() / "qs-save-copy-win";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path source = folder / "source", target = folder / "target";
    std::ofstream(source, std::ios::binary) << std::string(kSaveCopyChunk + 1, 'x');
    std::ofstream(target, std::ios::binary) << "old";
    {
        // Held open for writing elsewhere: the source is opened with read sharing only.
        const HANDLE writer =
            CreateFileW(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(Copy(source, target), SaveCopyOutcome::SourceOpenFailed);
        CloseHandle(writer);
        // The target held open by another program.
        const HANDLE holder = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(Copy(source, target), SaveCopyOutcome::TargetOpenFailed);
        CloseHandle(holder);
    }
    EXPECT_EQ(Copy(source, folder / "no such folder" / "target"),
              SaveCopyOutcome::TargetOpenFailed);

    std::ifstream kept(target, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(kept), {}) == "old");
    kept.close();
    // A folder that leaves room for the target's name, but not for a temporary file's under the
    // 260-unit limit: the copy is made all the same, and leaves nothing else there.
    const std::wstring deep =
        L"\\\\?\\" + (folder / std::wstring(250 - folder.wstring().size(), L'd')).wstring();
    fs::create_directories(deep);
    EXPECT_EQ(Copy(source, fs::path(deep.substr(4)) / "t"), SaveCopyOutcome::Copied);
    EXPECT_EQ(fs::file_size(fs::path(deep) / "t"), kSaveCopyChunk + 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(deep), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    fs::remove_all(folder);
}

SHELLEXECUTEINFOW g_seen;
std::wstring g_seenFile;
BOOL WINAPI RefusingShellExecuteEx(SHELLEXECUTEINFOW* info) {
    g_seen = *info;
    g_seenFile = info->lpFile;
    return FALSE;
}

TEST(PropertySheet, AsksTheShellWithTheVerbAndNoOwner) {
    const ShellExecuteExFunction previous = SetShellExecuteExForTesting(RefusingShellExecuteEx);
    EXPECT_FALSE(ShowPropertySheet(u"\\\\?\\Volume{1}\\Boot"));
    SetShellExecuteExForTesting(previous);
    EXPECT_EQ(g_seen.cbSize, 112u);
    EXPECT_EQ(g_seen.fMask, 0x0Cu);
    EXPECT_STREQ(g_seen.lpVerb, L"properties");
    EXPECT_EQ(g_seenFile, L"\\\\?\\Volume{1}\\Boot");
    EXPECT_EQ(g_seen.nShow, SW_SHOW);
    EXPECT_EQ(g_seen.hwnd, nullptr);
}

}  // namespace
}  // namespace qs
