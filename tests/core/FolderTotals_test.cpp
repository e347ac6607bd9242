#include <gtest/gtest.h>

#include <map>

#include "tree/FolderTotals.h"
#include "tree/SizeLines.h"

namespace qs {
namespace {

// A made-up volume: each folder's entries, and whether its listing fails (after them).
struct Listing {
    std::vector<FolderEntry> entries;
    bool whole = true;
};
class FakeLister : public FolderLister {
public:
    std::map<std::u16string, Listing> folders;
    std::vector<std::u16string> listed;
    bool List(const std::u16string& path, std::vector<FolderEntry>& entries) override {
        listed.push_back(path);
        const auto found = folders.find(path);
        entries = found == folders.end() ? std::vector<FolderEntry>() : found->second.entries;
        return found != folders.end() && found->second.whole;
    }
};
FolderEntry File(const char16_t* name, std::uint64_t size) {
    return {name, false, false, size};
}
FolderEntry Folder(const char16_t* name, bool link = false) {
    return {name, true, link};
}

// Sizes as "<n>B" and counts as "#<n>", so that each shows where the line put it.
class TestFormat : public SizeFormatter {
public:
    std::u16string Bytes(std::uint64_t n) const override { return Number(n) + u"B"; }
    std::u16string Count(std::uint64_t n) const override { return u"#" + Number(n); }
    static std::u16string Number(std::uint64_t n) {
        std::u16string s;
        do {
            s.insert(s.begin(), static_cast<char16_t>(u'0' + n % 10));
        } while (n /= 10);
        return s;
    }
};

TEST(FolderTotalsTest, SumsCountsAndUnreadableFoldersOfAMadeUpVolume) {
    FakeLister lister;
    lister.folders = {
        {u"V:\\",
         {{Folder(u"Boot"), File(u"bootmgr", 1000), Folder(u"SVI"), Folder(u"Link", true),
           Folder(u"Empty")}}},
        {u"V:\\Boot", {{File(u"BCD", 5000000000), Folder(u"Fonts"), File(u"log", 7)}}},
        {u"V:\\Boot\\Fonts", {{File(u"a.ttf", 4000000000), File(u"b.ttf", 3)}}},
        {u"V:\\SVI", {{}, false}},
        {u"V:\\Empty", {}},
        // Fails partway: the file before the failure is counted.
        {u"V:\\Boot\\Half", {{File(u"first", 11)}, false}},
    };
    lister.folders[u"V:\\Boot"].entries.push_back(Folder(u"Half"));
    FolderTotals totals;
    ASSERT_TRUE(totals.Count(lister, u"V:\\", nullptr));
    const struct {
        const char16_t* path;
        std::uint64_t bytes;
        std::uint32_t files, unreadable;
    } rows[] = {
        {u"", 9000001021, 6, 2},      // 64-bit: over 4 GiB
        {u"Boot", 9000000021, 5, 1},  // with the half-read folder
        {u"Boot\\Fonts", 4000000003, 2, 0},
        {u"Boot\\Half", 11, 1, 1},
        {u"SVI", 0, 0, 1},
        {u"Link", 0, 0, 0},  // never entered
        {u"Empty", 0, 0, 0},
    };
    for (const auto& row : rows) {
        const FolderTotal* total = totals.Find(row.path);
        ASSERT_NE(nullptr, total) << std::string(row.path, row.path + 1);
        EXPECT_EQ(row.bytes, total->bytes);
        EXPECT_EQ(row.files, total->files);
        EXPECT_EQ(row.unreadable, total->unreadableFolders);
    }
    EXPECT_EQ(nullptr, totals.Find(u"Nowhere"));
    EXPECT_EQ(nullptr, totals.Find(u"Boot\\BCD"));
    EXPECT_EQ(0, std::count(lister.listed.begin(), lister.listed.end(), u"V:\\Link"));
    EXPECT_EQ(7u, totals.FolderCount());

    // A stop between folders ends the walk unfinished.
    int asked = 0;
    EXPECT_FALSE(totals.Count(lister, u"V:\\", [&] { return ++asked > 2; }));
}

TEST(SizeLinesTest, EachLineAsTheUserReadsIt) {
    const TestFormat f;
    const FolderTotal one{10, 1, 0}, many{3480000, 14, 0}, partly{20480, 2, 1}, some{5, 3, 3};
    const VolumeSpace space{100, u"NTFS", 40}, noFree{100, u"NTFS", {}};
    const struct {
        std::u16string line, expected;
    } rows[] = {
        {MakeVolumeLine(space, f), u"100B NTFS volume, 40B free"},
        {MakeVolumeLine(noFree, f), u"100B NTFS volume"},
        {MakeVolumeLine(VolumeSpace(), f), u""},
        {MakeFileLine(u"bootmgr", 1000, f), u"bootmgr: 1000B"},
        {MakeFolderLine(u"Boot", &many, true, f), u"Boot: 3480000B in #14 files"},
        {MakeFolderLine(u"One", &one, false, f), u"One: 10B in #1 file"},
        {MakeFolderLine(u"Boot", nullptr, true, f), u"Boot: counting\u2026"},
        {MakeFolderLine(u"New", nullptr, false, f), u"New"},
        {MakeFolderLine(u"SVI", &partly, false, f),
         u"SVI: at least 20480B in #2 files (#1 folder could not be read)"},
        {MakeFolderLine(u"X", &some, false, f),
         u"X: at least 5B in #3 files (#3 folders could not be read)"},
        {MakeRootLine(&one, false, space, f), u"All files: 10B in #1 file; 50B other"},
        {MakeRootLine(&some, false, space, f),
         u"All files: at least 5B in #3 files (#3 folders could not be read); 55B other"},
        {MakeRootLine(&one, false, noFree, f), u"All files: 10B in #1 file"},
        {MakeRootLine(&one, false, VolumeSpace{100, u"NTFS", 99}, f),  // negative: no other
         u"All files: 10B in #1 file"},
        {MakeRootLine(nullptr, true, space, f), u"All files: counting\u2026"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.expected, row.line);
    }
    // A cut for the ellipsis never splits a pair; a lone surrogate is cut like any unit.
    const std::u16string name = u"a\U0001F600b";
    const std::size_t fits[][2] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 4}, {9, 4}};
    for (const auto& fit : fits)
        EXPECT_EQ(fit[1], FitWholeCharacters(name, fit[0])) << fit[0];
    EXPECT_EQ(1u, FitWholeCharacters(u"\xD800\xD800", 1));
}

}  // namespace
}  // namespace qs
