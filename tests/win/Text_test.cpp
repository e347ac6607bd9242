#include <windows.h>

#include <gtest/gtest.h>

#include "platform/Text.h"
#include "platform/WideText.h"

namespace qs {
namespace {

// Our converter must agree with the platform's, since staged tables and test data are UTF-8.
TEST(WinTextTest, AgreesWithMultiByteToWideChar) {
    const char* samples[] = {"", "bootmgr", "Boot\\en-US\\bootmgr.exe.mui", "\xC3\xA9t\xC3\xA9",
                             "\xF0\x9F\x98\x80 \xE2\x82\xAC"};
    for (const char* s : samples) {
        wchar_t buffer[64] = {};
        const int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, buffer, 64);
        ASSERT_GT(n, 0) << s;
        EXPECT_EQ(Utf8ToUtf16(s), FromWide(buffer)) << s;
    }
}

}  // namespace
}  // namespace qs
