#include <gtest/gtest.h>

#include "platform/Text.h"
#include "tree/ItemPath.h"

namespace qs {
namespace {

const std::u16string V = u"\\\\?\\Volume{4c1b2a3d-0000-0000-0000-100000000000}\\";

TEST(ItemPathTest, NewItemPaths) {
    struct Row {
        std::u16string parent, name, path;
    } rows[] = {
        {V, u"", V},  // the root
        {V, u"Boot", V + u"Boot"},
        {V + u"Boot", u"BCD", V + u"Boot\\BCD"},
        {V + u"Boot\\en-US", u"bootmgr.exe.mui", V + u"Boot\\en-US\\bootmgr.exe.mui"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.path, MakeItemPath(row.parent, row.name)) << Utf16ToUtf8(row.path);
    }
}

// The chain of item texts, leaf first, as the tree walks it up to the root.
TEST(ItemPathTest, JoinsTheItemTexts) {
    struct Row {
        std::vector<std::u16string> texts;
        std::u16string path;
    } rows[] = {
        {{}, u""},
        {{V}, V},
        {{u"Boot", V}, V + u"Boot"},
        {{u"BCD", u"Boot", V}, V + u"Boot\\BCD"},
        {{u"x.log", u"readme", u"Recovery", V}, V + u"Recovery\\readme\\x.log"},
        // A lettered staging root works the same way.
        {{u"f", u"\\\\?\\C:\\stage\\"}, u"\\\\?\\C:\\stage\\f"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.path, JoinItemTexts(row.texts)) << Utf16ToUtf8(row.path);
    }
}

TEST(ItemPathTest, PatternsOf260UnitsAreNotSearched) {
    EXPECT_EQ(V + u"*.*", MakeSearchPattern(V));
    EXPECT_EQ(V + u"Boot\\*.*", MakeSearchPattern(V + u"Boot"));
    const std::u16string at255 = V + std::u16string(255 - V.size(), u'a');
    EXPECT_EQ(259u, MakeSearchPattern(at255).size());
    EXPECT_TRUE(IsSearchable(MakeSearchPattern(at255)));
    EXPECT_FALSE(IsSearchable(MakeSearchPattern(at255 + u"a")));
    EXPECT_FALSE(IsSearchable(MakeSearchPattern(at255 + u"aaaaaa")));
}

TEST(ItemPathTest, NonBmpNamesCountUtf16Units) {
    const std::u16string clef = u"\U0001D11E";  // two UTF-16 units
    ASSERT_EQ(2u, clef.size());
    const std::u16string path = JoinItemTexts({clef + u".dat", u"\U0001F600", V});
    EXPECT_EQ(V + u"\U0001F600\\\U0001D11E.dat", path);

    // A folder path of 255 units, the last character a surrogate pair, is still searched;
    // one more pair is not.
    const std::u16string at255 = V + std::u16string(253 - V.size(), u'a') + clef;
    ASSERT_EQ(255u, at255.size());
    EXPECT_TRUE(IsSearchable(MakeSearchPattern(at255)));
    EXPECT_FALSE(IsSearchable(MakeSearchPattern(at255 + clef)));
}

TEST(ItemPathTest, ListingSplitKeepsListingOrderFoldersFirst) {
    FolderListing listing;
    listing.Add(u".", ENTRY_ATTRIBUTE_DIRECTORY);
    listing.Add(u"..", ENTRY_ATTRIBUTE_DIRECTORY);
    listing.Add(u"bootmgr", 0x27);  // read-only, hidden, system, archive
    listing.Add(u"Boot", ENTRY_ATTRIBUTE_DIRECTORY | 0x06);
    listing.Add(u"BOOTNXT", 0x26);
    listing.Add(u"Recovery", ENTRY_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ((std::vector<std::u16string>{u"Boot", u"Recovery"}), listing.folders);
    EXPECT_EQ((std::vector<std::u16string>{u"bootmgr", u"BOOTNXT"}), listing.files);

    // Only the directory dot entries are dropped.
    FolderListing dots;
    dots.Add(u"...", ENTRY_ATTRIBUTE_DIRECTORY);
    dots.Add(u".", 0x20);
    EXPECT_EQ((std::vector<std::u16string>{u"..."}), dots.folders);
    EXPECT_EQ((std::vector<std::u16string>{u"."}), dots.files);
}

}  // namespace
}  // namespace qs
