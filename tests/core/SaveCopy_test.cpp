#include "commands/SaveCopy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "platform/system/Text.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
constexpr std::uint32_t kChunk = kSaveCopyChunk;

// The real files, with the second read or the second write coming up short, so that the copy is
// half done when it fails. (Calls that fail outright and a source that can't be opened are the
// Win32 fault table's; an empty source is the acceptance run's.)
class ShortFiles : public CopyFiles {
public:
    explicit ShortFiles(bool shortRead) : m_shortRead(shortRead) {}
    bool OpenSource(const std::u16string& path) override { return m_real->OpenSource(path); }
    bool GetSourceSize(std::uint64_t& size) override { return m_real->GetSourceSize(size); }
    bool ReadSource(unsigned char* buffer, std::uint32_t count, std::uint32_t& read) override {
        const bool cut = ++m_reads == 2 && m_shortRead;
        return m_real->ReadSource(buffer, cut ? count - 1 : count, read);
    }
    bool CanReplaceTarget(const std::u16string& t) override { return m_real->CanReplaceTarget(t); }
    bool CreateTemporary(const std::u16string& t) override { return m_real->CreateTemporary(t); }
    bool WriteTemporary(const unsigned char* data, std::uint32_t count,
                        std::uint32_t& written) override {
        const bool cut = ++m_writes == 2 && !m_shortRead;
        return m_real->WriteTemporary(data, cut ? count / 2 : count, written);
    }
    bool ReplaceTarget(const std::u16string& t) override { return m_real->ReplaceTarget(t); }
    void DiscardTemporary() override { m_real->DiscardTemporary(); }
    bool SetTemporaryTime(std::uint64_t t) override { return m_real->SetTemporaryTime(t); }
    FolderMade CreateFolder(const std::u16string& p) override { return m_real->CreateFolder(p); }
    std::uint32_t LastError() const override { return m_real->LastError(); }

private:
    std::unique_ptr<CopyFiles> m_real = MakeCopyFiles();
    bool m_shortRead;
    int m_reads = 0;
    int m_writes = 0;
};

// A scratch folder per test: the source, the target, and whatever else a copy leaves behind.
class SaveCopyTest : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_folder); }
    void TearDown() override { fs::remove_all(m_folder); }
    std::u16string Path(const char* name) const { return Utf8ToUtf16((m_folder / name).string()); }
    void Write(const char* name, const std::string& bytes) const {
        std::ofstream(m_folder / name, std::ios::binary) << bytes;
    }
    // The target's bytes, "-" when it is missing, "+" for each other file beside the source.
    std::string Target() const {
        std::ifstream in(m_folder / "target", std::ios::binary);
        std::string seen = in ? std::string(std::istreambuf_iterator<char>(in), {}) : "-";
        for (const auto& entry : fs::directory_iterator(m_folder))
            if (entry.path().filename() != "source" && entry.path().filename() != "target")
                seen += "+";
        return seen;
    }

    const fs::path m_folder =
        fs::temp_directory_path() / ("qs-save-copy-" + std::to_string(getpid()));
};

TEST_F(SaveCopyTest, CopiesByteForByteOverAnExistingTargetAtSizesAroundTheChunk) {
    for (const std::uint32_t size : {1u, kChunk - 1, kChunk, kChunk + 1, 3 * kChunk + 7}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 131 + (i >> 11));
        Write("source", bytes);
        Write("target", "old");
        EXPECT_EQ(SaveCopy(*MakeCopyFiles(), Path("source"), Path("target")),
                  SaveCopyOutcome::Copied);
        EXPECT_TRUE(Target() == bytes) << size;
    }
}

TEST_F(SaveCopyTest, AShortReadOrWriteKeepsTheTargetAsItWasAndLeavesNoTemporary) {
    Write("source", std::string(2 * kChunk + 3, 'x'));
    for (const bool shortRead : {true, false}) {
        for (const bool existing : {true, false}) {
            if (existing)
                Write("target", "old");
            else
                fs::remove(m_folder / "target");
            ShortFiles files(shortRead);
            EXPECT_EQ(SaveCopy(files, Path("source"), Path("target")),
                      shortRead ? SaveCopyOutcome::ReadFailed : SaveCopyOutcome::WriteFailed);
            EXPECT_EQ(Target(), existing ? "old" : "-") << shortRead;
        }
    }
}

// The temporary's folder in the long form, on a drive and on a share; one already long, or a
// device's, as it was ("").
TEST(MakeLongFormPathTest, LiftsTheLimitOnDrivesAndSharesOnly) {
    // clang-format off
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        {uR"(C:\f\)", uR"(\\?\C:\f\)"}, {uR"(\\server\share\f\)", uR"(\\?\UNC\server\share\f\)"},
        {uR"(\\?\C:\f\)", u""}, {uR"(\\?\UNC\s\h\f\)", u""}, {uR"(\\.\C:\f\)", u""}};
    // clang-format on
    for (const auto& [full, long_] : rows)
        EXPECT_EQ(Utf16ToUtf8(MakeLongFormPath(full)), Utf16ToUtf8(*long_ ? long_ : full));
}

}  // namespace
}  // namespace qs
