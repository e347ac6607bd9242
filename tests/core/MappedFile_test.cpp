#include "preview/MappedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileMapping.h"
#include "platform/Text.h"
#include "preview/LineFormat.h"

namespace qs {
namespace {

constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;

std::uint8_t PatternByte(std::uint64_t i) {
    return static_cast<std::uint8_t>(i * 131 + (i >> 9));
}

// Counter deltas since construction.
struct CounterDelta {
    mapping::Counters start = mapping::GetCounters();
    std::uint64_t Mapped() const { return mapping::GetCounters().viewsMapped - start.viewsMapped; }
    std::uint64_t Unmapped() const {
        return mapping::GetCounters().viewsUnmapped - start.viewsUnmapped;
    }
    std::uint64_t Bytes() const { return mapping::GetCounters().bytesMapped - start.bytesMapped; }
    bool AllReleased() const {
        const mapping::Counters now = mapping::GetCounters();
        return now.filesOpened - start.filesOpened == now.filesClosed - start.filesClosed &&
               now.mappingsCreated - start.mappingsCreated ==
                   now.mappingsClosed - start.mappingsClosed &&
               now.viewsMapped - start.viewsMapped == now.viewsUnmapped - start.viewsUnmapped;
    }
};

class MappedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/qs-mapped-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
    }
    void TearDown() override {
        for (const std::string& path : m_made) {
            unlink(path.c_str());
        }
        rmdir(m_dir.c_str());
    }

    // A file of `size` pattern bytes; with `sparse` only the size is set (a hole reads as zeros).
    std::u16string MakeFile(const std::string& name, std::uint64_t size, bool sparse = false) {
        const std::string path = m_dir + "/" + name;
        m_made.push_back(path);
        const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        EXPECT_GE(fd, 0);
        if (sparse) {
            EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
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
    std::vector<std::string> m_made;
};

// Natively views start on a page; the Win32 tests run the same arithmetic at 64 KiB.
const std::uint32_t kGranularity = mapping::GetGranularity();

TEST_F(MappedFileTest, GranularityIsThePageSize) {
    EXPECT_EQ(kGranularity, static_cast<std::uint32_t>(sysconf(_SC_PAGESIZE)));
}

TEST_F(MappedFileTest, ViewsStartOnTheGranularity) {
    const std::u16string path = MakeFile("pattern.bin", 3 * kGranularity + 5);
    const struct {
        std::uint32_t offset;
        std::uint32_t length;
        std::uint64_t viewBytes;  // remainder + length
    } rows[] = {
        {0, 10, 10},
        {kGranularity, 10, 10},                             // at a boundary: exactly length
        {kGranularity - 10, 10, kGranularity},              // ends at the boundary
        {kGranularity - 4, 10, kGranularity + 6},           // across the boundary
        {kGranularity - 1, 1, kGranularity},                // last byte below it
        {3 * kGranularity - 3, 8, kGranularity - 3 + 8},    // across the last boundary
        {3 * kGranularity + 5 - 10, 10, kGranularity + 5},  // last line, ends at the end
        {3 * kGranularity, 5, 5},                           // short last line at a boundary
    };
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.GetSize(), 3u * kGranularity + 5);
    for (const auto& row : rows) {
        SCOPED_TRACE("offset " + std::to_string(row.offset));
        CounterDelta delta;
        const std::uint8_t* bytes = file.GetBytes(row.offset, row.length);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(delta.Bytes(), row.viewBytes);
        for (std::uint32_t i = 0; i < row.length; ++i) {
            EXPECT_EQ(bytes[i], PatternByte(row.offset + i)) << "byte " << i;
        }
    }
}

TEST_F(MappedFileTest, RangesPastTheEndGiveNull) {
    const std::u16string path = MakeFile("small.bin", 100);
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_NE(file.GetBytes(90, 10), nullptr);
    CounterDelta delta;
    EXPECT_EQ(file.GetBytes(91, 10), nullptr);
    EXPECT_EQ(file.GetBytes(100, 1), nullptr);
    EXPECT_EQ(file.GetBytes(0xFFFFFFFF, 2), nullptr);  // offset + length wraps 32 bits
    EXPECT_EQ(file.GetBytes(0, 0), nullptr);
    EXPECT_EQ(delta.Mapped(), 0u);
    EXPECT_EQ(delta.Unmapped(), 1u);  // the earlier view is still released first
    EXPECT_NE(file.GetBytes(0, 100), nullptr);
}

TEST_F(MappedFileTest, EachRequestUnmapsTheThreadsPreviousView) {
    const std::u16string path = MakeFile("pattern.bin", 1000);
    CounterDelta delta;
    {
        CMappedFile file;
        ASSERT_TRUE(file.Open(path));
        const std::uint8_t* first = file.GetBytes(0, 10);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(delta.Mapped(), 1u);
        EXPECT_EQ(delta.Unmapped(), 0u);
        // The same bytes again: no reuse, a fresh view after the old one is gone.
        const std::uint8_t* second = file.GetBytes(0, 10);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(delta.Mapped(), 2u);
        EXPECT_EQ(delta.Unmapped(), 1u);
        EXPECT_EQ(second[5], PatternByte(5));
        for (std::uint32_t line = 0; line < 50; ++line) {
            ASSERT_NE(file.GetBytes(line * 10, 10), nullptr);
        }
        EXPECT_EQ(delta.Mapped() - delta.Unmapped(), 1u);  // one live view per thread, ever
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(delta.Mapped(), delta.Unmapped());
        EXPECT_EQ(file.GetSize(), 0u);
        EXPECT_EQ(file.GetBytes(0, 10), nullptr);  // closed: nothing to map
        EXPECT_EQ(delta.Mapped(), 52u);
    }
    EXPECT_TRUE(delta.AllReleased());
}

TEST_F(MappedFileTest, TwoThreadsKeepTheirOwnViewsUntilClose) {
    const std::u16string path = MakeFile("pattern.bin", 4 * kGranularity);
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    CounterDelta delta;

    std::mutex lock;
    std::condition_variable changed;
    int step = 0;
    const std::uint8_t* otherBytes = nullptr;
    auto waitFor = [&](int wanted) {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return step >= wanted; });
    };
    auto advance = [&] {
        std::lock_guard<std::mutex> guard(lock);
        ++step;
        changed.notify_all();
    };

    std::thread other([&] {
        otherBytes = file.GetBytes(2 * kGranularity + 7, 10);
        advance();  // step 1: the other thread holds its view
        waitFor(2);
    });
    waitFor(1);
    const std::uint8_t* mine = file.GetBytes(100, 10);
    ASSERT_NE(mine, nullptr);
    ASSERT_NE(otherBytes, nullptr);
    // This thread's request left the other thread's view alone: both are readable.
    EXPECT_EQ(delta.Mapped(), 2u);
    EXPECT_EQ(delta.Unmapped(), 0u);
    EXPECT_EQ(otherBytes[3], PatternByte(2 * kGranularity + 10));
    EXPECT_EQ(mine[3], PatternByte(103));
    // A second request of this thread replaces only its own view.
    mine = file.GetBytes(200, 10);
    EXPECT_EQ(delta.Unmapped(), 1u);
    EXPECT_EQ(otherBytes[9], PatternByte(2 * kGranularity + 16));
    advance();
    other.join();

    // The other thread's view outlives the thread; Close unmaps both, each once.
    file.Close();
    EXPECT_EQ(delta.Mapped(), 3u);
    EXPECT_EQ(delta.Unmapped(), 3u);
}

TEST_F(MappedFileTest, FailedOpenLeavesNothingOpen) {
    const std::u16string good = MakeFile("good.bin", 100);
    CounterDelta delta;
    CMappedFile file;
    ASSERT_TRUE(file.Open(good));
    ASSERT_NE(file.GetBytes(0, 10), nullptr);
    EXPECT_FALSE(file.Open(good + u".missing"));
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(file.GetBytes(0, 10), nullptr);
    EXPECT_TRUE(delta.AllReleased());

    EXPECT_FALSE(file.Open(Utf8ToUtf16(m_dir)));  // a folder is not a file
    EXPECT_FALSE(file.Open(u""));
    EXPECT_TRUE(delta.AllReleased());
}

TEST_F(MappedFileTest, OpenAgainClosesThePreviousFile) {
    const std::u16string a = MakeFile("a.bin", 100);
    const std::u16string b = MakeFile("b.bin", 2 * kGranularity);
    CounterDelta delta;
    CMappedFile file;
    ASSERT_TRUE(file.Open(a));
    ASSERT_NE(file.GetBytes(0, 10), nullptr);
    ASSERT_TRUE(file.Open(b));
    EXPECT_EQ(file.GetSize(), 2u * kGranularity);
    EXPECT_EQ(delta.Unmapped(), 1u);
    const mapping::Counters now = mapping::GetCounters();
    EXPECT_EQ(now.filesOpened - delta.start.filesOpened, 2u);
    EXPECT_EQ(now.filesClosed - delta.start.filesClosed, 1u);
}

TEST_F(MappedFileTest, EmptyFileOpensWithoutMapping) {
    const std::u16string path = MakeFile("empty.bin", 0);
    CounterDelta delta;
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(GetLineCount(file.GetSize(), 10), 0u);
    EXPECT_EQ(file.GetBytes(0, 1), nullptr);
    EXPECT_EQ(mapping::GetCounters().mappingsCreated, delta.start.mappingsCreated);
    EXPECT_EQ(delta.Mapped(), 0u);
}

TEST_F(MappedFileTest, OneByteFile) {
    const std::u16string path = MakeFile("one.bin", 1);
    CMappedFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_EQ(GetLineCount(file.GetSize(), 10), 1u);
    const std::uint8_t* bytes = file.GetBytes(0, 1);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(FormatLine(bytes, 1, 0, 10),
              u"00000000  00" + std::u16string(29, u' ') + u"." + std::u16string(9, u' '));
}

// Big files are sparse: only their size is set, and the bytes read are zeros except where
// written.
TEST_F(MappedFileTest, FilesOf4GiBAndMoreShowTheirFirst4GiBWithTrueOffsets) {
    const struct {
        const char* name;
        std::uint64_t size;
        std::uint64_t shown;
    } rows[] = {
        {"under.bin", k4GiB - 1, k4GiB - 1},
        {"exact.bin", k4GiB, k4GiB},
        {"over.bin", k4GiB + 1, k4GiB},
        {"big.bin", 5 * k4GiB / 4, k4GiB},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::u16string path = MakeFile(row.name, row.size, true);
        {
            // A marker on the last byte that can be shown.
            const int fd = open(Utf16ToUtf8(path).c_str(), O_WRONLY);
            const std::uint8_t marker = 0xAB;
            ASSERT_EQ(pwrite(fd, &marker, 1, static_cast<off_t>(row.shown - 1)), 1);
            close(fd);
        }
        CMappedFile file;
        ASSERT_TRUE(file.Open(path));
        ASSERT_EQ(file.GetSize(), row.shown);

        const int n = 10;
        const std::uint64_t lines = GetLineCount(file.GetSize(), n);
        const std::uint64_t lastOffset = (lines - 1) * n;
        ASSERT_LT(lastOffset, k4GiB);
        const auto offset = static_cast<std::uint32_t>(lastOffset);
        const auto count = static_cast<int>(file.GetSize() - lastOffset);
        const std::uint8_t* bytes = file.GetBytes(offset, static_cast<std::uint32_t>(count));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(bytes[count - 1], 0xAB);
        const std::u16string line = FormatLine(bytes, count, offset, n);
        EXPECT_EQ(line.substr(0, 8), u"FFFFFFFA");  // 429496729 * 10
        EXPECT_EQ(line[10 + 3 * (count - 1)], u'A');
        EXPECT_EQ(line[11 + 3 * (count - 1)], u'B');
        // Nothing past what is shown can be asked for.
        EXPECT_EQ(file.GetBytes(static_cast<std::uint32_t>(row.shown - 1), 2), nullptr);
    }
}

}  // namespace
}  // namespace qs
