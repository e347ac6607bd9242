// Built into both suites: the POSIX half maps page by page, the Win32 half at 64 KiB.
#include "preview/MappedFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/system/FileMapping.h"
#include "preview/LineFormat.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;
const std::uint32_t kGranularity = mapping::GetGranularity();

std::uint8_t PatternByte(std::uint64_t i) {
    return static_cast<std::uint8_t>(i * 131 + (i >> 9));
}

// Every file, mapping and view opened since `start` has been released.
bool AllReleased(const mapping::Counters& start) {
    const mapping::Counters now = mapping::GetCounters();
    return now.filesOpened - start.filesOpened == now.filesClosed - start.filesClosed &&
           now.mappingsCreated - start.mappingsCreated ==
               now.mappingsClosed - start.mappingsClosed &&
           now.viewsMapped - start.viewsMapped == now.viewsUnmapped - start.viewsUnmapped;
}

class MappedFileTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override { fs::remove_all(m_dir); }

    // Pattern bytes; a sparse file has only its size set plus 0xAB as its byte at `marker`.
    std::u16string MakeFile(const std::string& name, std::uint64_t size, bool sparse = false,
                            std::uint64_t marker = 0) {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).close();
        fs::resize_file(path, size);
        std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(marker));
        for (std::uint64_t i = marker; i < (sparse ? marker + 1 : size); ++i)
            out.put(static_cast<char>(sparse ? 0xAB : PatternByte(i)));
        return path.u16string();
    }

    const fs::path m_dir =
        fs::temp_directory_path() /
        ("qs-mapped-" +
         std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
};

TEST_F(MappedFileTest, ViewsStartOnTheGranularityAndNeverPassTheEnd) {
    const std::uint32_t g = kGranularity;
    // viewBytes: remainder + length, 0 for a refused range; {3g - 5, 10} ends exactly at the end.
    // clang-format off
    const struct { std::uint32_t offset, length; std::uint64_t viewBytes; } rows[] = {
        {0, 10, 10},        {g, 10, 10},           {g - 10, 10, g},        {g - 4, 10, g + 6},
        {g - 1, 1, g},      {3 * g - 3, 8, g + 5}, {3 * g - 5, 10, g + 5}, {3 * g, 5, 5},
        {3 * g - 4, 10, 0}, {3 * g + 5, 1, 0},     {0xFFFFFFFF, 2, 0},     {0, 0, 0}};
    // clang-format on
    CMappedFile file;
    ASSERT_TRUE(file.Open(MakeFile("pattern.bin", 3 * g + 5)));
    EXPECT_EQ(file.GetSize(), 3u * g + 5);
    for (const auto& row : rows) {
        SCOPED_TRACE("offset " + std::to_string(row.offset));
        const std::uint64_t before = mapping::GetCounters().bytesMapped;
        const std::uint8_t* bytes = file.GetBytes(row.offset, row.length);
        EXPECT_EQ(mapping::GetCounters().bytesMapped - before, row.viewBytes);
        ASSERT_EQ(bytes != nullptr, row.viewBytes != 0);
        for (std::uint32_t i = 0; bytes != nullptr && i < row.length; ++i) {
            EXPECT_EQ(bytes[i], PatternByte(row.offset + i)) << "byte " << i;
        }
    }
}

// Each thread keeps one view: a new request, even a refused one, unmaps that thread's previous
// view only; Close unmaps them all.
TEST_F(MappedFileTest, OneViewPerThreadUntilClose) {
    const mapping::Counters start = mapping::GetCounters();
    {
        CMappedFile file;
        ASSERT_TRUE(file.Open(MakeFile("pattern.bin", 4 * kGranularity)));
        const std::uint8_t* other = nullptr;
        std::thread([&] { other = file.GetBytes(2 * kGranularity + 7, 10); }).join();
        for (std::uint32_t line = 0; line < 50; ++line)
            ASSERT_NE(file.GetBytes(line * 10, 10), nullptr);
        const mapping::Counters now = mapping::GetCounters();
        EXPECT_EQ(now.viewsMapped - start.viewsMapped, 51u);
        EXPECT_EQ(now.viewsUnmapped - start.viewsUnmapped, 49u);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other[9], PatternByte(2 * kGranularity + 16));
        EXPECT_EQ(file.GetBytes(4 * kGranularity - 5, 10), nullptr);
        EXPECT_EQ(mapping::GetCounters().viewsUnmapped - start.viewsUnmapped, 50u);
        EXPECT_TRUE(file.Close());
        EXPECT_TRUE(AllReleased(start));
        EXPECT_EQ(file.GetSize(), 0u);
        EXPECT_EQ(file.GetBytes(0, 10), nullptr);
        ASSERT_TRUE(file.Open(MakeFile("again.bin", 100)));
        ASSERT_NE(file.GetBytes(0, 10), nullptr);
    }
    EXPECT_TRUE(AllReleased(start));  // by the destructor
}

TEST_F(MappedFileTest, FailedOpenLeavesNothingOpenAndEmptyFilesHaveNoMapping) {
    const std::u16string good = MakeFile("good.bin", 100);
    const mapping::Counters start = mapping::GetCounters();
    CMappedFile file;
    for (const std::u16string& bad : {good + u".missing", m_dir.u16string(), std::u16string()}) {
        ASSERT_TRUE(file.Open(good));
        ASSERT_NE(file.GetBytes(0, 10), nullptr);
        EXPECT_EQ(file.GetOpenError(), 0u);
        EXPECT_FALSE(file.Open(bad));
        EXPECT_NE(file.GetOpenError(), 0u);  // the system's reason, for the view to tell
        EXPECT_EQ(file.GetSize(), 0u);
        EXPECT_EQ(file.GetBytes(0, 10), nullptr);
        EXPECT_TRUE(AllReleased(start));
    }
    ASSERT_TRUE(file.Open(MakeFile("empty.bin", 0)));
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(file.GetBytes(0, 1), nullptr);
    EXPECT_EQ(mapping::GetCounters().mappingsCreated, start.mappingsCreated + 3);
}

TEST_F(MappedFileTest, FilesOf4GiBAndMoreShowTheirFirst4GiBWithTrueOffsets) {
    // clang-format off
    const struct { const char* name; std::uint64_t size, shown; } rows[] = {
        {"under.bin", k4GiB - 1, k4GiB - 1}, {"exact.bin", k4GiB, k4GiB},
        {"over.bin", 5 * k4GiB / 4, k4GiB}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CMappedFile file;
        ASSERT_TRUE(file.Open(MakeFile(row.name, row.size, true, row.shown - 1)));
        ASSERT_EQ(file.GetSize(), row.shown);
        ASSERT_EQ((GetLineCount(file.GetSize(), 10) - 1) * 10, 0xFFFFFFFAu);  // the last line
        const auto count = static_cast<std::uint32_t>(file.GetSize() - 0xFFFFFFFA);
        const std::uint8_t* bytes = file.GetBytes(0xFFFFFFFA, count);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(bytes[count - 1], 0xAB);
        EXPECT_EQ(file.GetBytes(static_cast<std::uint32_t>(row.shown - 1), 2), nullptr);
    }
}

}  // namespace
}  // namespace qs
