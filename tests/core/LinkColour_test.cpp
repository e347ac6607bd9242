#include "platform/LinkColour.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace qs {
namespace {

constexpr int kInvalid = -1;

// The value's bytes as the registry gives them: UTF-16 little-endian, then `extra` raw bytes.
std::vector<uint8_t> Bytes(const std::u16string& text, const std::vector<uint8_t>& extra) {
    std::vector<uint8_t> bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    return bytes;
}

int Parse(uint32_t type, const std::vector<uint8_t>& bytes) {
    const std::optional<LinkColour> c = ParseLinkColour(type, bytes.data(), bytes.size());
    return c ? (c->red << 16) | (c->green << 8) | c->blue : kInvalid;
}

TEST(LinkColourTest, ReadsThreeNumbersOrNothing) {
    const std::vector<uint8_t> zero = {0, 0};
    const struct {
        const char* name;
        uint32_t type;
        std::u16string text;
        std::vector<uint8_t> tail;  // usually the terminator
        int expected;
    } rows[] = {
        {"red", REG_VALUE_STRING, u"255,0,0", zero, 0xFF0000},
        {"expandable string", REG_VALUE_EXPAND_STRING, u"0,128,0", zero, 0x008000},
        {"256 is 0", REG_VALUE_STRING, u"256,0,0", zero, 0x000000},
        {"each modulo 256, leading zeros", REG_VALUE_STRING, u"300,010,511", zero, 0x2C0AFF},
        {"24 bytes with the terminator", REG_VALUE_STRING, u"9999999,0,0", zero, 0x7F0000},
        {"26 bytes", REG_VALUE_STRING, u"9999999,0,00", zero, kInvalid},
        {"text ends at the first zero", REG_VALUE_STRING, std::u16string(u"1,2,3\0x", 7), zero,
         0x010203},
        {"two numbers", REG_VALUE_STRING, u"255,0", zero, kInvalid},
        {"empty third part", REG_VALUE_STRING, u"255,0,", zero, kInvalid},
        {"empty first part", REG_VALUE_STRING, u",0,0", zero, kInvalid},
        {"empty second part", REG_VALUE_STRING, u"0,,0", zero, kInvalid},
        {"four numbers", REG_VALUE_STRING, u"1,2,3,4", zero, kInvalid},
        {"-1 first", REG_VALUE_STRING, u"-1,0,0", zero, kInvalid},
        {"-1 second", REG_VALUE_STRING, u"0,-1,0", zero, kInvalid},
        {"-1 third", REG_VALUE_STRING, u"0,0,-1", zero, kInvalid},
        {"plus sign", REG_VALUE_STRING, u"+1,0,0", zero, kInvalid},
        {"space before", REG_VALUE_STRING, u" 1,0,0", zero, kInvalid},
        {"space after a comma", REG_VALUE_STRING, u"1, 0,0", zero, kInvalid},
        {"space at the end", REG_VALUE_STRING, u"1,0,0 ", zero, kInvalid},
        {"hexadecimal", REG_VALUE_STRING, u"0xFF,0,0", zero, kInvalid},
        {"full-width digit", REG_VALUE_STRING, u"\uFF11,0,0", zero, kInvalid},
        {"no terminator", REG_VALUE_STRING, u"1,2,3", {}, kInvalid},
        {"odd size", REG_VALUE_STRING, u"1,2,3", {0, 0, 0}, kInvalid},
        {"terminator only", REG_VALUE_STRING, u"", zero, kInvalid},
        {"no bytes", REG_VALUE_STRING, u"", {}, kInvalid},
        {"binary", 3, u"1,2,3", zero, kInvalid},
        {"number", 4, u"1,2,3", zero, kInvalid},
        {"string list", 7, u"1,2,3", {0, 0, 0, 0}, kInvalid},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Parse(row.type, Bytes(row.text, row.tail)), row.expected) << row.name;
    EXPECT_FALSE(ParseLinkColour(REG_VALUE_STRING, nullptr, 8));
}

// Under the sanitizers: every read stays inside a buffer of exactly the given size.
TEST(LinkColourTest, FuzzedValuesStayInsideTheirBytes) {
    std::mt19937 random(20261207);
    const uint8_t likely[] = {'0', '9', ',', 0, '-', ' ', 0xFF};
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> bytes(random() % 30);
        for (uint8_t& b : bytes)
            b = random() % 4 == 0 ? static_cast<uint8_t>(random()) : likely[random() % 7];
        // The high byte is mostly zero, so the units are mostly ASCII.
        for (size_t i = 1; i < bytes.size(); i += 2)
            bytes[i] = random() % 8 == 0 ? bytes[i] : 0;
        const uint32_t type = random() % 4;
        const std::optional<LinkColour> c = ParseLinkColour(type, bytes.data(), bytes.size());
        if (c) {
            EXPECT_TRUE(type == REG_VALUE_STRING || type == REG_VALUE_EXPAND_STRING);
            EXPECT_LE(bytes.size(), LINK_COLOUR_VALUE_BYTES);
        }
    }
}

}  // namespace
}  // namespace qs
