#include <gtest/gtest.h>

#include <fstream>

#include "platform/system/StagedVolumeQueries.h"

namespace qs {
namespace {

TEST(StagedVolumeQueriesTest, ReadsEveryFieldOfTheTableFile) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "qs-staged-volumes-test.txt";
    std::ofstream(path, std::ios::binary)
        << "\xEF\xBB\xBF# made-up machine\r\n"
           "\\\\?\\C:\\stage\\h\xC3\xA9\\|3|C:\\;D:\\mnt\\|NTFS|18446744073709551615|42\r\n\r\n"
           "\\\\?\\Volume{2}\\|!|!|!|!\n";
    auto q = StagedVolumeQueries::FromFile(path);
    ASSERT_EQ("", q->Error());
    std::u16string name, fs;
    std::vector<std::u16string> mounts;
    uint64_t total = 0, free = 0;
    auto walk = q->EnumerateVolumes(name);
    ASSERT_TRUE(walk);
    EXPECT_EQ(u"\\\\?\\C:\\stage\\h\u00e9\\", name);
    EXPECT_EQ(3u, q->QueryDriveType(name));
    ASSERT_TRUE(q->QueryMountPoints(name, mounts));
    EXPECT_EQ((std::vector<std::u16string>{u"C:\\", u"D:\\mnt\\"}), mounts);
    ASSERT_TRUE(q->QueryFileSystemName(name, fs));
    EXPECT_EQ(u"NTFS", fs);
    ASSERT_TRUE(q->QueryTotalBytes(name, total));
    EXPECT_EQ(UINT64_MAX, total);
    ASSERT_TRUE(q->QueryFreeBytes(name, free));
    EXPECT_EQ(42u, free);

    ASSERT_TRUE(walk->Next(name));
    EXPECT_EQ(DRIVE_TYPE_UNKNOWN, q->QueryDriveType(name));
    EXPECT_FALSE(q->QueryMountPoints(name, mounts) || q->QueryFileSystemName(name, fs) ||
                 q->QueryTotalBytes(name, total) || q->QueryFreeBytes(name, free));
    EXPECT_FALSE(walk->Next(name));

    // Read again, the table gives the new free space; a sixth field of "!" fails the query.
    std::ofstream(path, std::ios::binary) << "v|3||NTFS|9|7\nw|3||NTFS|9|!\n";
    q->Reload();
    std::filesystem::remove(path);
    ASSERT_TRUE(q->QueryFreeBytes(u"v", free));
    EXPECT_EQ(7u, free);
    EXPECT_FALSE(q->QueryFreeBytes(u"w", free));
}

TEST(StagedVolumeQueriesTest, MalformedOrMissingTablesAreRefused) {
    const struct {
        const char* table;
        const char* error;
    } rows[] = {
        {"a|3||NTFS|1|2|3\n", "line 1: expected five or six fields separated by '|'"},
        {"a|3||NTFS|1|x\n", "line 1: the free size is not a number"},
        {"#\n\na|three||NTFS|1\n", "line 3: the drive type is not a number"},
        {"a|3||NTFS|18446744073709551616\n", "line 1: the total size is not a number"},
        {"a|4294967296||NTFS|1\n", "line 1: the drive type is not a number"},
        {"a|3|C:\\;;D:\\|NTFS|1\n", "line 1: empty mount point"},
    };
    std::u16string name;
    for (const auto& row : rows) {
        auto q = StagedVolumeQueries::FromText(row.table);
        EXPECT_EQ(row.error, q->Error()) << row.table;
        EXPECT_FALSE(q->EnumerateVolumes(name)) << row.table;
    }
    auto missing = StagedVolumeQueries::FromFile("/nonexistent/staged-volumes.txt");
    EXPECT_FALSE(missing->EnumerateVolumes(name));
    EXPECT_NE("", missing->Error());
}

}  // namespace
}  // namespace qs
