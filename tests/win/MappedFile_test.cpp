#include "preview/MappedFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileMapping.h"
#include "platform/WideText.h"
#include "preview/LineFormat.h"

namespace qs {
namespace {

std::uint8_t PatternByte(std::uint32_t i) {
    return static_cast<std::uint8_t>(i * 131 + (i >> 9));
}

class MappedFileWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        m_dir = FromWide(temp) + u"qs-mapped-" + Utf16Number(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(AsWide(m_dir), nullptr));
    }
    void TearDown() override {
        for (const std::u16string& path : m_made) {
            DeleteFileW(AsWide(path));
        }
        RemoveDirectoryW(AsWide(m_dir));
    }

    static std::u16string Utf16Number(unsigned long value) {
        const std::string digits = std::to_string(value);
        return std::u16string(digits.begin(), digits.end());
    }

    std::u16string MakeFile(const std::u16string& name, std::uint32_t size) {
        const std::u16string path = m_dir + u"\\" + name;
        m_made.push_back(path);
        HANDLE file =
            CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        std::vector<std::uint8_t> bytes(size);
        for (std::uint32_t i = 0; i < size; ++i) {
            bytes[i] = PatternByte(i);
        }
        DWORD written = 0;
        if (size > 0) {
            EXPECT_TRUE(WriteFile(file, bytes.data(), size, &written, nullptr));
        }
        CloseHandle(file);
        return path;
    }

    std::u16string m_dir;
    std::vector<std::u16string> m_made;
};

TEST_F(MappedFileWinTest, GranularityIsTheSystemAllocationGranularity) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(info.dwAllocationGranularity, 0x10000u);
    EXPECT_EQ(mapping::GetGranularity(), info.dwAllocationGranularity);
}

TEST_F(MappedFileWinTest, ReadsAtBelowAndAcrossGranularityBoundaries) {
    const std::u16string path = MakeFile(u"pattern.bin", 0x30005);
    const struct {
        std::uint32_t offset;
        std::uint32_t length;
    } rows[] = {
        {0, 10},       {0x10000, 10}, {0xFFF6, 10},       {0xFFFC, 10},
        {0x12345, 10}, {0x2FFFD, 8},  {0x30005 - 10, 10}, {0x30000, 5},
    };
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_EQ(file.GetSize(), 0x30005u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.offset);
        const mapping::Counters before = mapping::GetCounters();
        const std::uint8_t* bytes = file.GetBytes(row.offset, row.length);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(mapping::GetCounters().bytesMapped - before.bytesMapped,
                  row.offset % 0x10000 + row.length);
        for (std::uint32_t i = 0; i < row.length; ++i) {
            EXPECT_EQ(bytes[i], PatternByte(row.offset + i)) << i;
        }
    }
    // Past the end: no view (MapViewOfFile would fail; the range is refused before).
    EXPECT_EQ(file.GetBytes(0x30000, 6), nullptr);
}

TEST_F(MappedFileWinTest, FileHeldByAWriterCannotBeOpened) {
    const std::u16string good = MakeFile(u"good.bin", 100);
    const std::u16string busy = MakeFile(u"busy.bin", 100);
    HANDLE writer = CreateFileW(AsWide(busy), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);

    const mapping::Counters before = mapping::GetCounters();
    CMappedFile file;
    ASSERT_TRUE(file.Open(good));
    ASSERT_NE(file.GetBytes(0, 10), nullptr);
    EXPECT_FALSE(file.Open(busy));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(file.GetBytes(0, 10), nullptr);
    const mapping::Counters after = mapping::GetCounters();
    EXPECT_EQ(after.filesOpened - before.filesOpened, after.filesClosed - before.filesClosed);
    EXPECT_EQ(after.viewsMapped - before.viewsMapped, after.viewsUnmapped - before.viewsUnmapped);
    EXPECT_EQ(after.mappingsCreated - before.mappingsCreated,
              after.mappingsClosed - before.mappingsClosed);
    CloseHandle(writer);
    EXPECT_TRUE(file.Open(busy));  // free again once the writer is gone
}

TEST_F(MappedFileWinTest, NobodyWritesOrDeletesAFileWhileItIsShown) {
    const std::u16string path = MakeFile(u"shown.bin", 100);
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    HANDLE writer = CreateFileW(AsWide(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileW(AsWide(path)));
    // Another reader is welcome.
    HANDLE reader = CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    if (writer != INVALID_HANDLE_VALUE) {
        CloseHandle(writer);
    }
    file.Close();
    EXPECT_TRUE(DeleteFileW(AsWide(path)));  // and closing lets go of it
}

TEST_F(MappedFileWinTest, EmptyFileOpensWithSizeZeroAndNoMapping) {
    const std::u16string path = MakeFile(u"empty.bin", 0);
    const mapping::Counters before = mapping::GetCounters();
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(file.GetBytes(0, 1), nullptr);
    const mapping::Counters after = mapping::GetCounters();
    EXPECT_EQ(after.mappingsCreated, before.mappingsCreated);
    EXPECT_EQ(after.viewsMapped, before.viewsMapped);
}

TEST_F(MappedFileWinTest, MissingFileAfterAGoodOneLeavesNothingOpen) {
    const std::u16string path = MakeFile(u"good.bin", 100);
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_FALSE(file.Open(m_dir + u"\\missing.bin"));
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_FALSE(file.Open(m_dir));                                   // a folder
    EXPECT_FALSE(file.Open(path + std::u16string(1, u'\0') + u"x"));  // not the file before NUL
    EXPECT_FALSE(file.Open(u""));
    // Nothing of ours holds the good file any more: a writer without sharing gets it.
    HANDLE writer = CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
}

TEST_F(MappedFileWinTest, UnicodeNamesOpenAndTheLastLineEndsAtTheEnd) {
    const std::u16string path = MakeFile(u"\u00C9t\u00E9 \u20AC \u65E5\u672C.bin", 25);
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_EQ(GetLineCount(file.GetSize(), 10), 3u);
    const std::uint8_t* bytes = file.GetBytes(20, 5);
    ASSERT_NE(bytes, nullptr);
    const std::u16string line = FormatLine(bytes, 5, 20, 10);
    EXPECT_EQ(line.size(), 51u);
    EXPECT_EQ(line.substr(0, 10), u"00000014  ");
    EXPECT_EQ(bytes[4], PatternByte(24));
}

}  // namespace
}  // namespace qs
