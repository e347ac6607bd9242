#include <gtest/gtest.h>

#include <fstream>

#include "platform/StagedVolumeQueries.h"

namespace qs {
namespace {

TEST(StagedVolumeQueriesTest, ReadsEveryFieldOfTheTableFile) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "qs-staged-volumes-test.txt";
    std::ofstream(path, std::ios::binary)
        << "\xEF\xBB\xBF# made-up machine\r\n"
           "\\\\?\\C:\\stage\\h\xC3\xA9\\|3|C:\\;D:\\mnt\\|NTFS|18446744073709551615\r\n\r\n"
           "\\\\?\\Volume{2}\\|!|!|!|!\n";
    auto q = StagedVolumeQueries::FromFile(path);
    std::filesystem::remove(path);
    ASSERT_EQ("", q->Error());
    std::u16string name, fs;
    std::vector<std::u16string> mounts;
    uint64_t total = 0;
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

    ASSERT_TRUE(walk->Next(name));
    EXPECT_EQ(DRIVE_TYPE_UNKNOWN, q->QueryDriveType(name));
    EXPECT_FALSE(q->QueryMountPoints(name, mounts) || q->QueryFileSystemName(name, fs) ||
                 q->QueryTotalBytes(name, total));
    EXPECT_FALSE(walk->Next(name));
}

// Each answer must fit the buffer the platform call is given; one unit more fails it.
TEST(StagedVolumeQueriesTest, AnswersThatOverflowThePlatformBuffersFail) {
    const std::string mounts1024(1022, 'm');  // with its terminator and the list's end
    const std::string name261(260, 'n'), fs261(260, 'f');
    const struct {
        std::string first, second, mounts, fs;
        size_t namesWalked;
        bool mountsOk, fsOk;
    } rows[] = {
        {name261, name261, mounts1024, fs261, 2, true, true},
        {name261 + "n", name261, "", "", 0, true, true},
        {"a", name261 + "n", mounts1024 + "m", fs261 + "f", 1, false, false},
    };
    for (const auto& row : rows) {
        auto q =
            StagedVolumeQueries::FromText(row.first + "|3|" + row.mounts + "|" + row.fs + "|1\n" +
                                          row.second + "|3||NTFS|1\n" + "last|3||NTFS|1\n");
        std::u16string name, fs;
        std::vector<std::u16string> mounts;
        size_t walked = 0;
        if (auto walk = q->EnumerateVolumes(name)) {
            EXPECT_EQ(row.mountsOk, q->QueryMountPoints(name, mounts)) << row.first.size();
            EXPECT_EQ(row.fsOk, q->QueryFileSystemName(name, fs)) << row.first.size();
            for (walked = 1; walk->Next(name) && name != u"last"; ++walked) {
            }
        }
        EXPECT_EQ(row.namesWalked, walked) << row.first.size() << " " << row.second.size();
    }
}

TEST(StagedVolumeQueriesTest, MalformedOrMissingTablesAreRefused) {
    const struct {
        const char* table;
        const char* error;
    } rows[] = {
        {"a|3||NTFS|1|x\n", "line 1: expected five fields separated by '|'"},
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
