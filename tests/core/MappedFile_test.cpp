#include "preview/MappedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileMapping.h"
#include "platform/Text.h"
#include "preview/LineFormat.h"

namespace qs {
namespace {

constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;
const std::uint32_t kGranularity = mapping::GetGranularity();

std::uint8_t PatternByte(std::uint64_t i) {
    return static_cast<std::uint8_t>(i * 131 + (i >> 9));
}

struct CounterDelta {
    mapping::Counters start = mapping::GetCounters();
    std::uint64_t Mapped() const { return mapping::GetCounters().viewsMapped - start.viewsMapped; }
    std::uint64_t Unmapped() const {
        return mapping::GetCounters().viewsUnmapped - start.viewsUnmapped;
    }
    bool AllReleased() const {
        const mapping::Counters now = mapping::GetCounters();
        return now.filesOpened - start.filesOpened == now.filesClosed - start.filesClosed &&
               now.mappingsCreated - start.mappingsCreated ==
                   now.mappingsClosed - start.mappingsClosed &&
               Mapped() == Unmapped();
    }
};

class MappedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/qs-mapped-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // Pattern bytes; a sparse file has only its size set plus 0xAB as its byte at `marker`.
    std::u16string MakeFile(const std::string& name, std::uint64_t size, bool sparse = false,
                            std::uint64_t marker = 0) {
        const std::string path = m_dir + "/" + name;
        const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        EXPECT_GE(fd, 0);
        if (sparse) {
            const std::uint8_t byte = 0xAB;
            EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
            EXPECT_EQ(pwrite(fd, &byte, 1, static_cast<off_t>(marker)), 1);
        } else {
            std::vector<std::uint8_t> bytes(size);
            for (std::uint64_t i = 0; i < size; ++i) {
                bytes[i] = PatternByte(i);
            }
            EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(size));
        }
        close(fd);
        return Utf8ToUtf16(path);
    }

    std::string m_dir;
};

TEST_F(MappedFileTest, ViewsStartOnTheGranularityAndNeverPassTheEnd) {
    ASSERT_EQ(kGranularity, static_cast<std::uint32_t>(sysconf(_SC_PAGESIZE)));
    const std::uint32_t g = kGranularity;
    const struct {
        std::uint32_t offset;
        std::uint32_t length;
        std::uint64_t viewBytes;  // remainder + length; 0 for a refused range
    } rows[] = {
        // {3g - 5, 10} is a last line that ends exactly at the end
        {0, 10, 10},        {g, 10, 10},           {g - 10, 10, g},        {g - 4, 10, g + 6},
        {g - 1, 1, g},      {3 * g - 3, 8, g + 5}, {3 * g - 5, 10, g + 5}, {3 * g, 5, 5},
        {3 * g - 4, 10, 0}, {3 * g + 5, 1, 0},     {0xFFFFFFFF, 2, 0},     {0, 0, 0}};
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

TEST_F(MappedFileTest, EachRequestUnmapsTheThreadsPreviousViewAndCloseUnmapsAll) {
    const std::u16string path = MakeFile("pattern.bin", 1000);
    CounterDelta delta;
    {
        CMappedFile file;
        ASSERT_TRUE(file.Open(path));
        for (std::uint32_t line = 0; line < 50; ++line) {
            ASSERT_NE(file.GetBytes(line * 10, 10), nullptr);
            EXPECT_EQ(delta.Mapped() - delta.Unmapped(), 1u);
        }
        EXPECT_EQ(file.GetBytes(995, 10), nullptr);  // refused, yet the old view is released
        EXPECT_EQ(delta.Mapped(), delta.Unmapped());
        ASSERT_NE(file.GetBytes(0, 10), nullptr);
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(delta.Mapped(), 51u);
        EXPECT_EQ(delta.Unmapped(), 51u);
        EXPECT_EQ(file.GetSize(), 0u);
        EXPECT_EQ(file.GetBytes(0, 10), nullptr);
    }
    EXPECT_TRUE(delta.AllReleased());
}

TEST_F(MappedFileTest, TwoThreadsKeepTheirOwnViewsUntilClose) {
    CMappedFile file;
    ASSERT_TRUE(file.Open(MakeFile("pattern.bin", 4 * kGranularity)));
    CounterDelta delta;
    const std::uint8_t* other = nullptr;
    std::thread([&] { other = file.GetBytes(2 * kGranularity + 7, 10); }).join();
    const std::uint8_t* mine = file.GetBytes(100, 10);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(mine, nullptr);
    mine = file.GetBytes(200, 10);  // replaces only this thread's view
    EXPECT_EQ(delta.Mapped(), 3u);
    EXPECT_EQ(delta.Unmapped(), 1u);
    EXPECT_EQ(other[9], PatternByte(2 * kGranularity + 16));
    EXPECT_EQ(mine[3], PatternByte(203));
    file.Close();
    EXPECT_EQ(delta.Unmapped(), 3u);
}

TEST_F(MappedFileTest, FailedOpenLeavesNothingOpenAndEmptyFilesHaveNoMapping) {
    const std::u16string good = MakeFile("good.bin", 100);
    CounterDelta delta;
    CMappedFile file;
    for (const std::u16string& bad : {good + u".missing", Utf8ToUtf16(m_dir), std::u16string()}) {
        ASSERT_TRUE(file.Open(good));
        ASSERT_NE(file.GetBytes(0, 10), nullptr);
        EXPECT_FALSE(file.Open(bad));
        EXPECT_EQ(file.GetSize(), 0u);
        EXPECT_EQ(file.GetBytes(0, 10), nullptr);
        EXPECT_TRUE(delta.AllReleased());
    }

    const std::uint64_t mappings = mapping::GetCounters().mappingsCreated;
    ASSERT_TRUE(file.Open(MakeFile("empty.bin", 0)));
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(file.GetBytes(0, 1), nullptr);
    EXPECT_EQ(mapping::GetCounters().mappingsCreated, mappings);
}

TEST_F(MappedFileTest, FilesOf4GiBAndMoreShowTheirFirst4GiBWithTrueOffsets) {
    const struct {
        const char* name;
        std::uint64_t size;
        std::uint64_t shown;
    } rows[] = {
        {"under.bin", k4GiB - 1, k4GiB - 1},
        {"exact.bin", k4GiB, k4GiB},
        {"over.bin", 5 * k4GiB / 4, k4GiB},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CMappedFile file;
        ASSERT_TRUE(file.Open(MakeFile(row.name, row.size, true, row.shown - 1)));
        ASSERT_EQ(file.GetSize(), row.shown);
        const std::uint64_t last = (GetLineCount(file.GetSize(), 10) - 1) * 10;
        ASSERT_EQ(last, 0xFFFFFFFAu);
        const auto count = static_cast<int>(file.GetSize() - last);
        const std::uint8_t* bytes = file.GetBytes(0xFFFFFFFA, static_cast<std::uint32_t>(count));
        ASSERT_NE(bytes, nullptr);
        const std::u16string line = FormatLine(bytes, count, 0xFFFFFFFA, 10);
        EXPECT_EQ(line.substr(0, 8), u"FFFFFFFA");
        EXPECT_EQ(line.substr(10 + 3 * (count - 1), 2), u"AB");
        EXPECT_EQ(file.GetBytes(static_cast<std::uint32_t>(row.shown - 1), 2), nullptr);
    }
}

}  // namespace
}  // namespace qs
