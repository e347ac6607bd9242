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

// clang-format off
enum class Fault { None, CreateFails, CannotReplace, ReadFails, ReadShort, WriteFails, WriteShort, ReplaceFails };
// clang-format on

// The real files, with one operation failing (or coming up short) on its second call where it is
// called more than once, so that the copy is half done when it fails.
class FaultyFiles : public CopyFiles {
public:
    explicit FaultyFiles(Fault fault) : m_fault(fault) {}
    bool OpenSource(const std::u16string& path) override { return m_real->OpenSource(path); }
    bool GetSourceSize(std::uint64_t& size) override { return m_real->GetSourceSize(size); }
    bool ReadSource(unsigned char* buffer, std::uint32_t count, std::uint32_t& read) override {
        const bool second = ++m_reads == 2;
        if (second && m_fault == Fault::ReadFails)
            return false;
        return m_real->ReadSource(buffer, second && m_fault == Fault::ReadShort ? count - 1 : count,
                                  read);
    }
    bool CanReplaceTarget(const std::u16string& target) override {
        ++m_targetCalls;
        return m_fault != Fault::CannotReplace && m_real->CanReplaceTarget(target);
    }
    bool CreateTemporary(const std::u16string& target) override {
        ++m_targetCalls;
        return m_fault != Fault::CreateFails && m_real->CreateTemporary(target);
    }
    bool WriteTemporary(const unsigned char* data, std::uint32_t count,
                        std::uint32_t& written) override {
        const bool second = ++m_writes == 2;
        if (second && m_fault == Fault::WriteFails)
            return false;
        return m_real->WriteTemporary(
            data, second && m_fault == Fault::WriteShort ? count / 2 : count, written);
    }
    bool ReplaceTarget(const std::u16string& target) override {
        return m_fault != Fault::ReplaceFails && m_real->ReplaceTarget(target);
    }
    void DiscardTemporary() override { m_real->DiscardTemporary(); }

    int m_targetCalls = 0;

private:
    std::unique_ptr<CopyFiles> m_real = MakeCopyFiles();
    Fault m_fault;
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

TEST_F(SaveCopyTest, AFailureKeepsTheTargetAsItWasAndLeavesNoTemporary) {
    const struct {
        Fault fault;
        SaveCopyOutcome outcome;
        const char16_t* message;
    } rows[] = {
        {Fault::ReadFails, SaveCopyOutcome::ReadFailed, u"Can't read selected file"},
        {Fault::ReadShort, SaveCopyOutcome::ReadFailed, u"Can't read selected file"},
        {Fault::WriteFails, SaveCopyOutcome::WriteFailed, u"Can't write target file"},
        {Fault::WriteShort, SaveCopyOutcome::WriteFailed, u"Can't write target file"},
        {Fault::CreateFails, SaveCopyOutcome::TargetOpenFailed, u"Can't open target file"},
        {Fault::CannotReplace, SaveCopyOutcome::TargetOpenFailed, u"Can't open target file"},
        {Fault::ReplaceFails, SaveCopyOutcome::TargetOpenFailed, u"Can't open target file"},
    };
    Write("source", std::string(2 * kChunk + 3, 'x'));
    for (const auto& row : rows) {
        for (const bool existing : {true, false}) {
            if (existing)
                Write("target", "old");
            else
                fs::remove(m_folder / "target");
            FaultyFiles files(row.fault);
            const SaveCopyOutcome outcome = SaveCopy(files, Path("source"), Path("target"));
            const int r = static_cast<int>(&row - rows);
            EXPECT_EQ(outcome, row.outcome) << r;
            EXPECT_EQ(std::u16string(GetSaveCopyMessage(outcome)), row.message) << r;
            EXPECT_EQ(Target(), existing ? "old" : "-") << r;
        }
    }
}

TEST_F(SaveCopyTest, AnEmptyOrMissingSourceIsRefusedBeforeTheTargetIsTouched) {
    Write("source", "");
    Write("target", "old");
    FaultyFiles empty(Fault::None);
    EXPECT_EQ(SaveCopy(empty, Path("source"), Path("target")), SaveCopyOutcome::SourceEmpty);
    FaultyFiles missing(Fault::None);
    EXPECT_EQ(SaveCopy(missing, Path("missing"), Path("target")),
              SaveCopyOutcome::SourceOpenFailed);
    EXPECT_EQ(empty.m_targetCalls + missing.m_targetCalls, 0);
    EXPECT_EQ(Target(), "old");
    EXPECT_EQ(std::u16string(GetSaveCopyMessage(SaveCopyOutcome::SourceEmpty)),
              u"Selected file is empty");
    EXPECT_EQ(GetSaveCopyMessage(SaveCopyOutcome::Copied), nullptr);
}

}  // namespace
}  // namespace qs
