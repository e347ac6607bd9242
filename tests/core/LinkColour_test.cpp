#include "platform/window/LinkColour.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qs {
namespace {

constexpr int kNone = -1;

// Registry bytes: the text in UTF-16 little-endian, then the tail (by default the terminator).
int Parse(const std::u16string& text, std::vector<uint8_t> tail = {0, 0},
          uint32_t type = REG_VALUE_STRING) {
    std::vector<uint8_t> bytes;
    for (const char16_t c : text)
        bytes.insert(bytes.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)});
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    const std::optional<LinkColour> c = ParseLinkColour(type, bytes.data(), bytes.size());
    return c ? (c->red << 16) | (c->green << 8) | c->blue : kNone;
}

TEST(LinkColourTest, ThreeNumbersEachModulo256) {
    EXPECT_EQ(Parse(u"255,0,0"), 0xFF0000);
    EXPECT_EQ(Parse(u"256,0,0"), 0x000000);
    EXPECT_EQ(Parse(u"300,010,511"), 0x2C0AFF);
    EXPECT_EQ(Parse(u"9999999,0,0"), 0x7F0000);                  // 24 bytes with the terminator
    EXPECT_EQ(Parse(std::u16string(u"1,2,3\0x", 7)), 0x010203);  // the text ends at a zero
    const char16_t* malformed[] = {u"255,0",    u"255,0,",     u",0,0",         u"0,,0",
                                   u"1,2,3,4",  u"-1,0,0",     u"0,-1,0",       u"0,0,-1",
                                   u"+1,0,0",   u" 1,0,0",     u"1, 0,0",       u"1,0,0 ",
                                   u"0xFF,0,0", u"\uFF11,0,0", u"9999999,0,00", u""};
    for (const char16_t* text : malformed)
        EXPECT_EQ(Parse(text), kNone)
            << std::string(text, text + std::char_traits<char16_t>::length(text));
}

TEST(LinkColourTest, OnlyTerminatedStrings) {
    EXPECT_EQ(Parse(u"0,128,0", {0, 0}, REG_VALUE_EXPAND_STRING), 0x008000);
    EXPECT_EQ(Parse(u"1,2,3", {0, 0}, 3), kNone);  // binary
    EXPECT_EQ(Parse(u"1,2,3", {0, 0}, 4), kNone);  // number
    EXPECT_EQ(Parse(u"1,2,3", {}), kNone);         // no terminator
    EXPECT_EQ(Parse(u"1,2,3", {0, 0, 0}), kNone);  // odd size
    EXPECT_EQ(Parse(u"", {}), kNone);
    EXPECT_FALSE(ParseLinkColour(REG_VALUE_STRING, nullptr, 8));
    const uint8_t buffer[2] = {};
    EXPECT_FALSE(ParseLinkColour(REG_VALUE_STRING, buffer, 0));  // nothing before it is read
}

// Random values, each in a heap block of exactly its size: under the sanitizers a read past the
// value fails here.
TEST(LinkColourTest, FuzzedValuesStayInsideTheirBytes) {
    std::mt19937 random(20261207);
    const uint8_t likely[] = {'0', '9', ',', 0, '-', 0xFF};
    for (int round = 0; round < 20000; ++round) {
        const size_t size = random() % 30;
        const std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = i % 2 == 1 && random() % 8 != 0 ? 0 : likely[random() % 6];
        const uint32_t type = random() % 4;
        const bool parsed = ParseLinkColour(type, bytes.get(), size).has_value();
        EXPECT_TRUE(!parsed || ((type == 1 || type == 2) && size <= LINK_COLOUR_VALUE_BYTES));
    }
}

}  // namespace
}  // namespace qs
