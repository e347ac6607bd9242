#include <gtest/gtest.h>

#include "platform/system/StagedVolumeQueries.h"
#include "tree/HiddenVolume.h"

namespace qs {
namespace {

using Query = StagedVolumeQueries::Query;
using Call = StagedVolumeQueries::Call;

const std::string kName = "\\\\?\\Volume{00000000-0000-0000-0000-000000000002}\\";

// One volume line per row, the hidden volume's fields varied one at a time.
TEST(HiddenVolumeTest, SelectionRule) {
    const struct {
        const char* line;
        bool accepted;
    } rows[] = {
        {"\\\\?\\Volume{1}\\|3||NTFS|524288000", true},
        {"\\\\?\\Volume{1}\\|3||NTFS|524288001", false},
        {"\\\\?\\Volume{1}\\|3||NTFS|0", true},
        {"\\\\?\\Volume{1}\\|3|E:\\|NTFS|104857600", false},
        {"\\\\?\\Volume{1}\\|3|C:\\mnt\\boot\\|NTFS|104857600", false},
        {"\\\\?\\Volume{1}\\|3||FAT32|104857600", false},
        {"\\\\?\\Volume{1}\\|3||NTFS |104857600", false},
        {"\\\\?\\Volume{1}\\|3||ntfs|104857600", false},
        {"\\\\?\\Volume{1}\\|2||NTFS|104857600", false},  // removable
        {"\\\\?\\Volume{1}\\|4||NTFS|104857600", false},  // network
        {"\\\\?\\\\|3||NTFS|104857600", true},            // five characters are enough
    };
    for (const auto& row : rows) {
        auto queries = StagedVolumeQueries::FromText(std::string(row.line) + "\n");
        ASSERT_EQ("", queries->Error()) << row.line;
        EXPECT_EQ(row.accepted, FindHiddenSystemVolume(*queries).has_value()) << row.line;
    }
}

// A name failing the text tests is never queried; a failing query rejects the volume and nothing
// more is asked about it.
TEST(HiddenVolumeTest, RejectionStopsTheLaterQueries) {
    const struct {
        std::string line;
        std::vector<Query> asked;
    } rows[] = {
        {"\\\\?\\Volume{1}|3||NTFS|1000", {}},    // no trailing backslash
        {"\\\\.\\Volume{1}\\|3||NTFS|1000", {}},  // not the \\?\ prefix
        {"\\\\?\\|3||NTFS|1000", {}},             // four characters are not enough
        {kName + "|!||NTFS|1000", {Query::DriveType}},
        {kName + "|2||NTFS|1000", {Query::DriveType}},
        {kName + "|3|!|NTFS|1000", {Query::DriveType, Query::MountPoints}},
        {kName + "|3|C:\\|NTFS|1000", {Query::DriveType, Query::MountPoints}},
        {kName + "|3||!|1000", {Query::DriveType, Query::MountPoints, Query::FileSystem}},
        {kName + "|3||FAT32|1000", {Query::DriveType, Query::MountPoints, Query::FileSystem}},
        {kName + "|3||NTFS|!",
         {Query::DriveType, Query::MountPoints, Query::FileSystem, Query::Total}},
    };
    for (const auto& row : rows) {
        auto queries = StagedVolumeQueries::FromText(row.line + "\n");
        ASSERT_EQ("", queries->Error()) << row.line;
        EXPECT_FALSE(FindHiddenSystemVolume(*queries)) << row.line;
        std::vector<Call> expected = {{Query::FindFirst, {}}};
        for (Query q : row.asked) {
            expected.push_back({q, u"\\\\?\\Volume{00000000-0000-0000-0000-000000000002}\\"});
        }
        expected.push_back({Query::FindNext, {}});
        expected.push_back({Query::FindClose, {}});
        EXPECT_EQ(expected, queries->Calls()) << row.line;
    }
}

// After a lettered system volume; the second qualifying volume is never looked at.
TEST(HiddenVolumeTest, FirstOfTwoQualifyingVolumesWins) {
    auto queries = StagedVolumeQueries::FromText(
        "\\\\?\\Volume{00000000-0000-0000-0000-000000000001}\\|3|C:\\|NTFS|256060514304\n" + kName +
        "|3||NTFS|104857600\n" +
        "\\\\?\\Volume{00000000-0000-0000-0000-000000000003}\\|3||NTFS|524288000\n");
    EXPECT_EQ(u"\\\\?\\Volume{00000000-0000-0000-0000-000000000002}\\",
              FindHiddenSystemVolume(*queries));
    // First, two queries on the lettered volume, next, four on the hidden one, close.
    EXPECT_EQ(queries->Calls().size(), 9u);
    EXPECT_EQ((Call{Query::FindClose, {}}), queries->Calls().back());
}

TEST(HiddenVolumeTest, NothingFoundInAnEmptyOrMalformedTable) {
    EXPECT_FALSE(FindHiddenSystemVolume(*StagedVolumeQueries::FromText("# comment only\n\n")));
    auto malformed =
        StagedVolumeQueries::FromText(kName + "|3||NTFS|1000\n" + kName + "|3||NTFS\n");
    EXPECT_NE("", malformed->Error());
    EXPECT_FALSE(FindHiddenSystemVolume(*malformed));
}

}  // namespace
}  // namespace qs
