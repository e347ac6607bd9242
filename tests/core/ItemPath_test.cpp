#include <gtest/gtest.h>

#include "platform/system/Text.h"
#include "tree/ItemPath.h"

namespace qs {
namespace {

const std::u16string V = u"\\\\?\\Volume{4c1b2a3d-0000-0000-0000-100000000000}\\";
const std::u16string kClef = u"\U0001D11E";  // two UTF-16 units

// The chain of item texts, leaf first, as the tree walks it up to the root; and the path a new
// item gets below its parent.
TEST(ItemPathTest, JoinsTheItemTexts) {
    const struct {
        std::vector<std::u16string> texts;
        std::u16string path;
    } rows[] = {
        {{}, u""},
        {{V}, V},
        {{u"BCD", u"Boot", V}, V + u"Boot\\BCD"},
        {{kClef + u".dat", u"\U0001F600", V}, V + u"\U0001F600\\" + kClef + u".dat"},
        {{u"f", u"\\\\?\\C:\\stage\\"}, u"\\\\?\\C:\\stage\\f"},  // a lettered staging root
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.path, JoinItemTexts(row.texts)) << Utf16ToUtf8(row.path);
    }
    EXPECT_EQ(V, MakeItemPath(V, u""));
    EXPECT_EQ(V + u"Boot", MakeItemPath(V, u"Boot"));
    EXPECT_EQ(V + u"Boot\\BCD", MakeItemPath(V + u"Boot", u"BCD"));
}

// A search pattern of 260 units is not searched, 259 is; units, not characters, are counted.
TEST(ItemPathTest, PatternsOf260UnitsAreNotSearched) {
    EXPECT_EQ(V + u"*.*", MakeSearchPattern(V));
    EXPECT_EQ(V + u"Boot\\*.*", MakeSearchPattern(V + u"Boot"));
    const std::u16string at255 = V + std::u16string(253 - V.size(), u'a') + kClef;
    EXPECT_EQ(259u, MakeSearchPattern(at255).size());
    EXPECT_TRUE(IsSearchable(MakeSearchPattern(at255)));
    EXPECT_FALSE(IsSearchable(MakeSearchPattern(at255 + u"a")));
    EXPECT_FALSE(IsSearchable(MakeSearchPattern(at255 + kClef)));
}

TEST(ItemPathTest, ListingSplitKeepsListingOrderFoldersFirst) {
    FolderListing listing;
    listing.Add(u".", ENTRY_ATTRIBUTE_DIRECTORY);
    listing.Add(u"..", ENTRY_ATTRIBUTE_DIRECTORY);
    listing.Add(u"bootmgr", 0x27);  // read-only, hidden, system, archive
    listing.Add(u"Boot", ENTRY_ATTRIBUTE_DIRECTORY | 0x06);
    listing.Add(u"...", ENTRY_ATTRIBUTE_DIRECTORY);  // only the directory dot entries are dropped
    listing.Add(u".", 0x20);
    listing.Add(u"Recovery", ENTRY_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ((std::vector<std::u16string>{u"Boot", u"...", u"Recovery"}), listing.folders);
    EXPECT_EQ((std::vector<std::u16string>{u"bootmgr", u"."}), listing.files);
}

}  // namespace
}  // namespace qs
