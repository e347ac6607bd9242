#include <gtest/gtest.h>

#include "platform/system/StagedVolumeQueries.h"
#include "tree/HiddenVolume.h"

namespace qs {
namespace {

using Query = StagedVolumeQueries::Query;
using Call = StagedVolumeQueries::Call;

// One volume per row, varied one field at a time: whether it is taken, and how many of the four
// queries were made, in their order, up to the first that rejected it. (Lettered, mounted,
// removable and exactly 500 MiB volumes are on the made-up machine of the Win32 tests.)
TEST(HiddenVolumeTest, SelectionRuleStopsAtTheFirstTestThatFails) {
    const std::string v = "\\\\?\\Volume{1}\\";
    // clang-format off
    const struct { std::string line; size_t asked; bool taken; } rows[] = {
        {v + "|3||NTFS|524288001", 4, false}, {v + "|3||NTFS|0", 4, true},
        {v + "|3||NTFS|!", 4, false},
        {"\\\\?\\\\|3||NTFS|1000", 4, true},            // five characters are enough
        {"\\\\?\\|3||NTFS|1000", 0, false},             // four are not
        {"\\\\.\\Volume{1}\\|3||NTFS|1000", 0, false},  // not the \\?\ prefix
        {"\\\\?\\Volume{1}|3||NTFS|1000", 0, false},    // no trailing backslash
        {v + "|!||NTFS|1000", 1, false}, {v + "|3|!|NTFS|1000", 2, false},
        {v + "|3||!|1000", 3, false}, {v + "|3||ntfs|1000", 3, false},
        {v + "|3||NTFS |1000", 3, false}};
    // clang-format on
    const Query order[] = {Query::DriveType, Query::MountPoints, Query::FileSystem, Query::Total};
    for (const auto& row : rows) {
        auto queries = StagedVolumeQueries::FromText(row.line + "\n");
        ASSERT_EQ("", queries->Error()) << row.line;
        EXPECT_EQ(row.taken, FindHiddenSystemVolume(*queries).has_value()) << row.line;
        std::vector<Call> expected = {{Query::FindFirst, {}}};
        const std::u16string name(row.line.begin(), row.line.begin() + row.line.find('|'));
        for (size_t i = 0; i < row.asked; ++i)
            expected.push_back({order[i], name});
        if (!row.taken)
            expected.push_back({Query::FindNext, {}});
        expected.push_back({Query::FindClose, {}});
        EXPECT_EQ(expected, queries->Calls()) << row.line;
    }
}

}  // namespace
}  // namespace qs
