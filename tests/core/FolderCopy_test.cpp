#include "commands/FolderCopy.h"

#include <gtest/gtest.h>

#include "commands/ListingCsv.h"
#include "platform/system/Text.h"

namespace qs {
namespace {

TEST(FolderCopyTest, TheCopysNameAndWhereItMayGo) {
    // clang-format off
    const std::tuple<const char16_t*, unsigned, const char16_t*> names[] = {
        {uR"(\\?\Volume{1}\Boot)", 1, u"Boot"}, {uR"(\\?\Volume{1}\Boot)", 2, u"Boot (2)"},
        {uR"(\\?\Volume{1}\EFI\Boot)", 3, u"Boot (3)"}, {uR"(\\?\Volume{1}\)", 1, u"Hidden Volume"},
        {uR"(\\?\Volume{1}\)", 12, u"Hidden Volume (12)"}};
    const std::tuple<const char16_t*, const char16_t*, bool> places[] = {
        {uR"(C:\Users\me)", uR"(\\?\C:\Users\)", true}, {uR"(\\?\c:\users\ME\x)", uR"(C:\Users\me)", true},
        {uR"(C:\Users\me2)", uR"(C:\Users\me)", false}, {uR"(D:\)", uR"(\\?\C:\)", false}};
    // clang-format on
    for (const auto& [path, n, name] : names)
        EXPECT_EQ(Utf16ToUtf8(MakeCopyName(GetCopyBaseName(path), n)), Utf16ToUtf8(name));
    for (const auto& [path, folder, inside] : places)
        EXPECT_EQ(IsSameOrInside(path, folder), inside) << Utf16ToUtf8(path);
}

TEST(FolderCopyTest, TheReportWithNoneOneAndElevenFilesLeftOutAndWhenStopped) {
    FolderCopyResult result;
    result.copied = 40, result.total = 40;
    EXPECT_EQ(FormatCopyReport(result), u"");
    result.copied = 39, result.failureCount = 1;
    result.failures = {{uR"(Boot\BCD)", u"The process cannot access the file."}};
    EXPECT_EQ(FormatCopyReport(result),
              u"Copied 39 of 40 files. These could not be read:\n\n"
              uR"(Boot\BCD)"
              u": The process cannot access the file.");
    result.copied = 29, result.failureCount = 11;
    result.failures.assign(kReportedFailures, {u"a", u"Access denied."});
    const std::u16string eleven = FormatCopyReport(result);
    EXPECT_EQ(eleven.substr(eleven.size() - 28), u"a: Access denied.\nand 1 more");
    result.stop = CopyStop::Cancelled, result.folder = uR"(\\?\C:\Copies\Boot (2))";
    EXPECT_EQ(FormatCopyReport(result).substr(0, 96),
              u"The copy was cancelled.\nCopied 29 of 40 files into C:\\Copies\\Boot (2).\n\n"
              u"These could not be read:");
    result = FolderCopyResult();
    result.stop = CopyStop::WriteFailed, result.stopPath = uR"(E:\)", result.stopReason = u"Full.";
    EXPECT_EQ(FormatCopyReport(result), u"The copy could not be made in E:\\:\nFull.");
    result = FolderCopyResult();
    result.stop = CopyStop::Cancelled;  // while the files were still being counted
    EXPECT_EQ(FormatCopyReport(result), u"The copy was cancelled before any file was copied.");
}

TEST(ListingCsvTest, FieldsTimesAndRows) {
    // clang-format off
    const std::pair<const char16_t*, const char16_t*> fields[] = {
        {u"Boot\\BCD", u"Boot\\BCD"}, {u"a,b", u"\"a,b\""}, {u"say \"hi\"", u"\"say \"\"hi\"\"\""},
        {u"two\nlines", u"\"two\nlines\""}, {u"cr\r", u"\"cr\r\""}, {u"", u""}};
    const std::pair<std::uint64_t, const char16_t*> times[] = {
        {0, u"1601-01-01T00:00:00Z"}, {116444736000000000ull, u"1970-01-01T00:00:00Z"},
        {132201869400000000ull, u"2019-12-07T10:09:00Z"}, {132223092009999999ull, u"2019-12-31T23:40:00Z"},
        {125911584000000000ull, u"2000-01-01T00:00:00Z"}, {126278784000000000ull, u"2001-03-01T00:00:00Z"},
        {132223104000000000ull, u"2020-01-01T00:00:00Z"}, {132274080000000000ull, u"2020-02-29T00:00:00Z"}};
    // clang-format on
    for (const auto& [field, quoted] : fields)
        EXPECT_EQ(Utf16ToUtf8(QuoteCsvField(field)), Utf16ToUtf8(quoted));
    for (const auto& [ticks, text] : times)
        EXPECT_EQ(Utf16ToUtf8(FormatUtcTime(ticks)), Utf16ToUtf8(text)) << ticks;
    EXPECT_EQ(
        FormatListing(
            {{u"Boot\\", true, 30, 0}, {u"Boot\\x,y", true, 30, 0}, {u"Locked\\", false, 0, 0}}),
        "\xEF\xBB\xBFPath,Size,Modified\r\nBoot\\,30,1601-01-01T00:00:00Z\r\n"
        "\"Boot\\x,y\",30,1601-01-01T00:00:00Z\r\nLocked\\,,1601-01-01T00:00:00Z\r\n");
}

}  // namespace
}  // namespace qs
