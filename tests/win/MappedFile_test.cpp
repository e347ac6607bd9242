#include "preview/MappedFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/FileMapping.h"
#include "platform/WideText.h"

namespace qs {
namespace {

// The same arithmetic as natively, at the 64 KiB that MapViewOfFile demands; and a file that
// cannot be opened leaves nothing open.
TEST(MappedFileWinTest, ReadsAtBelowAndAcrossGranularityBoundaries) {
    ASSERT_EQ(mapping::GetGranularity(), 0x10000u);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::u16string path = FromWide(temp) + u"qs-mapped-pattern.bin";
    std::vector<std::uint8_t> bytes(0x30005);
    for (std::uint32_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
    const HANDLE out =
        ::CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(
        ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(out);

    const mapping::Counters before = mapping::GetCounters();
    {
        CMappedFile file;
        ASSERT_TRUE(file.Open(path));
        for (std::uint32_t offset : {0x10000u, 0xFFF6u, 0xFFFCu, 0x30005u - 10}) {
            const std::uint8_t* view = file.GetBytes(offset, 10);
            ASSERT_NE(view, nullptr) << offset;
            EXPECT_TRUE(std::equal(view, view + 10, bytes.begin() + offset)) << offset;
        }
        EXPECT_NE(file.GetBytes(0x30000, 5), nullptr);
        EXPECT_EQ(file.GetBytes(0x30000, 6), nullptr);
        EXPECT_FALSE(file.Open(path + u".missing"));
        EXPECT_EQ(file.GetSize(), 0u);
    }
    const mapping::Counters after = mapping::GetCounters();
    EXPECT_EQ(after.filesOpened - before.filesOpened, after.filesClosed - before.filesClosed);
    EXPECT_EQ(after.viewsMapped - before.viewsMapped, after.viewsUnmapped - before.viewsUnmapped);
    EXPECT_EQ(after.mappingsCreated - before.mappingsCreated,
              after.mappingsClosed - before.mappingsClosed);
    ::DeleteFileW(AsWide(path));
}

}  // namespace
}  // namespace qs
