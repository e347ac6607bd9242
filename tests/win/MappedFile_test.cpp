#include "preview/MappedFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileMapping.h"
#include "platform/WideText.h"

namespace qs {
namespace {

std::uint8_t PatternByte(std::uint32_t i) {
    return static_cast<std::uint8_t>(i * 131 + (i >> 9));
}

class MappedFileWinTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::u16string& path : m_made) {
            DeleteFileW(AsWide(path));
        }
    }

    std::u16string MakeFile(const std::u16string& name, std::uint32_t size) {
        wchar_t temp[MAX_PATH];
        EXPECT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        const std::u16string path = FromWide(temp) + u"qs-mapped-" + name;
        m_made.push_back(path);
        HANDLE file =
            CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        std::vector<std::uint8_t> bytes(size);
        for (std::uint32_t i = 0; i < size; ++i) {
            bytes[i] = PatternByte(i);
        }
        DWORD written = 0;
        EXPECT_TRUE(size == 0 || WriteFile(file, bytes.data(), size, &written, nullptr));
        CloseHandle(file);
        return path;
    }

    std::vector<std::u16string> m_made;
};

// The same arithmetic as natively, at the 64 KiB that MapViewOfFile demands.
TEST_F(MappedFileWinTest, ReadsAtBelowAndAcrossGranularityBoundaries) {
    ASSERT_EQ(mapping::GetGranularity(), 0x10000u);
    const struct {
        std::uint32_t offset;
        std::uint32_t length;
    } rows[] = {{0x10000, 10}, {0xFFF6, 10}, {0xFFFC, 10}, {0x30005 - 10, 10}, {0x30000, 5}};
    CMappedFile file;
    ASSERT_TRUE(file.Open(MakeFile(u"pattern.bin", 0x30005)));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.offset);
        const std::uint8_t* bytes = file.GetBytes(row.offset, row.length);
        ASSERT_NE(bytes, nullptr);
        for (std::uint32_t i = 0; i < row.length; ++i) {
            EXPECT_EQ(bytes[i], PatternByte(row.offset + i)) << i;
        }
    }
    EXPECT_EQ(file.GetBytes(0x30000, 6), nullptr);
}

TEST_F(MappedFileWinTest, FileHeldByAWriterWithoutReadSharingCannotBeOpened) {
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
    const mapping::Counters after = mapping::GetCounters();
    EXPECT_EQ(after.filesOpened - before.filesOpened, after.filesClosed - before.filesClosed);
    EXPECT_EQ(after.viewsMapped - before.viewsMapped, after.viewsUnmapped - before.viewsUnmapped);
    CloseHandle(writer);
    EXPECT_TRUE(file.Open(busy));
}

}  // namespace
}  // namespace qs
