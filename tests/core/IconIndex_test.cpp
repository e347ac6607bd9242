#include <gtest/gtest.h>

#include "platform/system/CaseMapping.h"
#include "platform/system/Text.h"
#include "tree/IconIndex.h"

namespace qs {
namespace {

const std::u16string V = u"\\\\?\\Volume{4c1b2a3d-0000-0000-0000-100000000000}\\";

TEST(IconIndexTest, Cases) {
    // clang-format off
    struct Row { std::u16string path; bool isFolder; int index; } rows[] = {
        // Substrings anywhere in the path, the earlier rule first.
        {V + u"$Recycle.Bin", true, ICON_RECYCLE_FOLDER},
        {V + u"$Recycle.Bin\\S-1-5-18\\desktop.ini", false, ICON_OTHER_FILE},
        {V + u"$RECYCLE.BIN\\x.dll", false, ICON_DLL},
        {V + u"System Volume Information", true, ICON_FOLDER},
        {V + u"Boot\\BOOTMGR.EFI", false, ICON_EXE}, {V + u"Boot\\memtest.exe", false, ICON_EXE},
        {V + u"Boot\\en-US\\bootmgr.exe.mui", false, ICON_MUI},
        {V + u"Boot\\BCD.LOG1", false, ICON_LOG}, {V + u"README", false, ICON_OTHER_FILE},
        {V + u"Boot\\Fonts\\wgl4_boot.ttf", false, ICON_TTF},
        {V + u"x.log\\readme", false, ICON_LOG}, {V + u"a.datx", false, ICON_DAT},
        {V + u"x.dll.ttf", false, ICON_DLL}, {V + u"Boot\\x.log.mui", false, ICON_MUI},
        {V + u"bootmgr.dat", false, ICON_DAT}, {V + u"bootmgr.dll", false, ICON_EXE},
        {V + u"a.exe", true, ICON_FOLDER},
        // Lower-casing beyond ASCII: the Turkish dotted capital I lowers to a plain i.
        {V + u"X.\u0130N\u0130.MU\u0130", false, ICON_MUI},
        {V + u"\u0420\u0435\u0446\u0438\u043A\u043B\\RECYCLE", true, ICON_RECYCLE_FOLDER},
        // A non-BMP name does not disturb the match after it.
        {V + u"\U00010400\U0001D11E.DLL", false, ICON_DLL}};
    // clang-format on
    for (const Row& row : rows)
        EXPECT_EQ(row.index, GetIconIndex(row.path, row.isFolder)) << Utf16ToUtf8(row.path);
}

TEST(CaseMappingTest, SimpleLowerCaseMapping) {
    struct Row {
        std::u16string upper, lower;
    } rows[] = {
        {u"BOOTMGR.EFI \\?{}", u"bootmgr.efi \\?{}"},
        {u"\u00C0\u00DE\u00D7\u00DF\u00FF", u"\u00E0\u00FE\u00D7\u00DF\u00FF"},  // Latin-1
        {u"\u0100\u0101\u0178\u0130", u"\u0101\u0101\u00FFi"},                   // Latin Ext-A
        {u"\u01C4\u01C5\u0187\u023A", u"\u01C6\u01C6\u0188\u2C65"},              // Latin Ext-B
        {u"\u0391\u03A3\u03C3\u03F4", u"\u03B1\u03C3\u03C3\u03B8"},              // Greek
        {u"\u0400\u0410\u042F\u0460", u"\u0450\u0430\u044F\u0461"},              // Cyrillic
        {u"\u0531\u0556", u"\u0561\u0586"},                                      // Armenian
        {u"\u10A0\u10C5\u1C90", u"\u2D00\u2D25\u10D0"},                          // Georgian
        {u"\u1E00\u1E9E\u1EFE", u"\u1E01\u00DF\u1EFF"},                          // Latin Ext Add.
        {u"\u1F08\u1F88\u1FBC\u1FFA", u"\u1F00\u1F80\u1FB3\u1F7C"},              // Greek Ext.
        {u"\u2126\u212A\u212B\u2160\u24B6", u"\u03C9k\u00E5\u2170\u24D0"},       // symbols
        {u"\uFF21\uFF3A\uFF41", u"\uFF41\uFF5A\uFF41"},                          // fullwidth
        {u"\U00010400\U00010427\U00010428", u"\U00010428\U0001044F\U00010428"},  // Deseret
        {u"\U0001E900\U00016E40\U000104B0", u"\U0001E922\U00016E60\U000104D8"},  // Adlam etc.
        {u"\U0001D400", u"\U0001D400"},  // mathematical letters have no case mapping
        {{u'A', char16_t(0xD801), u'B', char16_t(0xDC00), u'C', char16_t(0xD801)},
         {u'a', char16_t(0xD801), u'b', char16_t(0xDC00), u'c', char16_t(0xD801)}},  // lone halves
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.lower, ToLowerCase(row.upper)) << Utf16ToUtf8(row.upper);
    }
}

}  // namespace
}  // namespace qs
