#include <gtest/gtest.h>

#include "platform/StagedVolumeQueries.h"
#include "tree/HiddenVolume.h"

namespace qs {
namespace {

using Query = StagedVolumeQueries::Query;
using Call = StagedVolumeQueries::Call;

const std::u16string kHidden = u"\\\\?\\Volume{00000000-0000-0000-0000-000000000002}\\";
const std::u16string kOther = u"\\\\?\\Volume{00000000-0000-0000-0000-000000000003}\\";

std::optional<std::u16string> Locate(const std::string& table) {
    auto queries = StagedVolumeQueries::FromText(table);
    EXPECT_EQ("", queries->Error());
    return FindHiddenSystemVolume(*queries);
}

// One volume line per row, the hidden volume's fields varied one at a time.
TEST(HiddenVolumeTest, SelectionRule) {
    struct Row {
        const char* line;
        bool accepted;
    } rows[] = {
        {"\\\\?\\Volume{1}\\|3||NTFS|104857600", true},
        {"\\\\?\\Volume{1}\\|3||NTFS|524288000", true},
        {"\\\\?\\Volume{1}\\|3||NTFS|524288001", false},
        {"\\\\?\\Volume{1}\\|3||NTFS|0", true},
        {"\\\\?\\Volume{1}\\|3|E:\\|NTFS|104857600", false},
        {"\\\\?\\Volume{1}\\|3|C:\\mnt\\boot\\|NTFS|104857600", false},
        {"\\\\?\\Volume{1}\\|3||FAT32|104857600", false},
        {"\\\\?\\Volume{1}\\|3||ReFS|104857600", false},
        {"\\\\?\\Volume{1}\\|3||NTFS |104857600", false},
        {"\\\\?\\Volume{1}\\|3||ntfs|104857600", false},
        {"\\\\?\\Volume{1}\\|2||NTFS|104857600", false},  // removable
        {"\\\\?\\Volume{1}\\|4||NTFS|104857600", false},  // network
        {"\\\\?\\Volume{1}|3||NTFS|104857600", false},    // no trailing backslash
        {"\\\\.\\Volume{1}\\|3||NTFS|104857600", false},  // not the \\?\ prefix
        {"\\\\?\\\\|3||NTFS|104857600", true},            // five characters are enough
        {"\\\\?\\|3||NTFS|104857600", false},             // four are not
    };
    for (const Row& row : rows) {
        auto queries = StagedVolumeQueries::FromText(std::string(row.line) + "\n");
        ASSERT_EQ("", queries->Error()) << row.line;
        EXPECT_EQ(row.accepted, FindHiddenSystemVolume(*queries).has_value()) << row.line;
    }
}

// A failing query rejects the volume and nothing more is asked about it.
TEST(HiddenVolumeTest, FailingQueryStopsTheLaterQueries) {
    struct Row {
        const char* fields;
        std::vector<Query> asked;
    } rows[] = {
        {"|!||NTFS|1000", {Query::DriveType}},
        {"|3|!|NTFS|1000", {Query::DriveType, Query::MountPoints}},
        {"|3|C:\\|NTFS|1000", {Query::DriveType, Query::MountPoints}},
        {"|3||!|1000", {Query::DriveType, Query::MountPoints, Query::FileSystem}},
        {"|3||FAT32|1000", {Query::DriveType, Query::MountPoints, Query::FileSystem}},
        {"|3||NTFS|!", {Query::DriveType, Query::MountPoints, Query::FileSystem, Query::Total}},
        {"|2||NTFS|1000", {Query::DriveType}},
    };
    for (const Row& row : rows) {
        const std::string name = "\\\\?\\Volume{00000000-0000-0000-0000-000000000002}\\";
        auto queries = StagedVolumeQueries::FromText(name + row.fields + "\n");
        ASSERT_EQ("", queries->Error()) << row.fields;
        EXPECT_FALSE(FindHiddenSystemVolume(*queries)) << row.fields;

        std::vector<Call> expected = {{Query::FindFirst, {}}};
        for (Query q : row.asked) {
            expected.push_back({q, kHidden});
        }
        expected.push_back({Query::FindNext, {}});
        expected.push_back({Query::FindClose, {}});
        EXPECT_EQ(expected, queries->Calls()) << row.fields;
    }
}

TEST(HiddenVolumeTest, NamesFailingTheTextTestsAreNotQueried) {
    auto queries = StagedVolumeQueries::FromText("\\\\?\\Volume{1}|3||NTFS|1000\n");
    EXPECT_FALSE(IsHiddenSystemVolume(*queries, u"\\\\?\\Volume{1}"));
    EXPECT_TRUE(queries->Calls().empty());
}

// After a lettered system volume; the second qualifying volume is never looked at.
TEST(HiddenVolumeTest, FirstOfTwoQualifyingVolumesWins) {
    auto queries = StagedVolumeQueries::FromText(
        "# a typical machine\n"
        "\\\\?\\Volume{00000000-0000-0000-0000-000000000001}\\|3|C:\\|NTFS|256060514304\n"
        "\\\\?\\Volume{00000000-0000-0000-0000-000000000002}\\|3||NTFS|104857600\n"
        "\\\\?\\Volume{00000000-0000-0000-0000-000000000003}\\|3||NTFS|524288000\n");
    EXPECT_EQ(kHidden, FindHiddenSystemVolume(*queries));
    for (const Call& call : queries->Calls()) {
        EXPECT_NE(kOther, call.volume);
    }
    EXPECT_EQ((Call{Query::FindClose, {}}), queries->Calls().back());
}

TEST(HiddenVolumeTest, NothingFound) {
    EXPECT_FALSE(
        FindHiddenSystemVolume(*StagedVolumeQueries::FromFile("/nonexistent/staged-volumes.txt")));
    EXPECT_FALSE(Locate(""));
    EXPECT_FALSE(Locate("# comment only\n\n"));
    EXPECT_FALSE(Locate("\\\\?\\Volume{1}\\|3|C:\\|NTFS|1000\n"));
    auto malformed = StagedVolumeQueries::FromText(
        "\\\\?\\Volume{1}\\|3||NTFS|1000\n\\\\?\\Volume{2}\\|3||NTFS\n");
    EXPECT_EQ("line 2: expected five fields separated by '|'", malformed->Error());
    EXPECT_FALSE(FindHiddenSystemVolume(*malformed));
}

}  // namespace
}  // namespace qs
