#include "platform/system/Text.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(TextTest, RoundTripsBmpAndSupplementaryCharacters) {
    const std::string utf8 = "Boot\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // é € 😀
    const std::u16string utf16 = Utf8ToUtf16(utf8);
    EXPECT_EQ(utf16, u"Boot\u00E9\u20AC\U0001F600");
    EXPECT_EQ(utf16.size(), 8u);  // the emoji is a surrogate pair
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
}

TEST(TextTest, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");      // truncated sequence
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAFz"), u"\uFFFDz");  // overlong form
    EXPECT_EQ(Utf8ToUtf16("\xFFx"), u"\uFFFDx");      // invalid lead byte
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82x"), u"\uFFFDx");  // cut short, next byte kept
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace qs
