#include "preview/ByteSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "preview/OffsetInput.h"

namespace qs {
namespace {

constexpr std::uint64_t kNever = ~std::uint64_t{0};

// Bytes from memory. Each Read hands out a fresh copy of just the bytes asked for, so the
// sanitizer catches a read past them; a read that covers `failAt` fails.
struct CVectorSource : ByteSource {
    std::string bytes;
    std::uint64_t failAt = kNever;
    std::size_t longestRead = 0;
    std::vector<std::uint8_t> copy;

    std::uint64_t GetSize() const override { return bytes.size(); }
    const std::uint8_t* Read(std::uint64_t offset, std::size_t length) override {
        EXPECT_TRUE(length > 0 && offset + length <= bytes.size()) << offset << "+" << length;
        longestRead = std::max(longestRead, length);
        if (failAt >= offset && failAt - offset < length)
            return nullptr;
        copy.assign(bytes.begin() + offset, bytes.begin() + offset + length);
        return copy.data();
    }
};

// 0 "MZ" 90 00, 4 "Key" C9 (É), 8 "xxxx", 12 "kEY" E9 (é), 16 UTF-16 "RoŁt", 24 UTF-16 "rOšT",
// 32 "yyyyyyy", 39 "Q".
const std::string kBytes = std::string("MZ\x90\0Key\xC9xxxxkEY\xE9R\0o\0\x41\x01t\0", 24) +
                           std::string("r\0O\0\x61\x01T\0yyyyyyyQ", 16);

TEST(ByteSearchTest, FindsFirstOrLastMatchAndWrapsOnce) {
    enum { T = int(SearchKind::Text), U = int(SearchKind::Utf16), X = int(SearchKind::HexBytes) };
    enum { F, B };                                    // forward, backward
    enum { Y = int(SearchOutcome::Found), N, C, R };  // C: cancelled by the second window
    // clang-format off
    const struct { const char16_t* text; int kind; bool matchCase; int way; std::uint64_t from;
                   std::size_t window; std::uint64_t failAt; int outcome; std::uint64_t offset; }
    rows[] = {
        {u"4D 5A", X, 1, F, 0, 8, kNever, Y, 0},   {u"4d5a", X, 1, F, 1, 8, kNever, Y, 0},
        {u"4D5A", X, 1, B, 0, 8, kNever, Y, 0},    {u"Q", T, 1, F, 0, 8, kNever, Y, 39},
        {u"yQ", T, 1, B, 40, 16, kNever, Y, 38},   {u"q", T, 0, B, 1000, 8, kNever, Y, 39},
        {u"key", T, 0, F, 0, 8, kNever, Y, 4},     {u"key", T, 0, F, 5, 8, kNever, Y, 12},
        {u"key", T, 0, F, 13, 8, kNever, Y, 4},    {u"key", T, 0, B, 12, 8, kNever, Y, 4},
        {u"key", T, 0, B, 13, 8, kNever, Y, 12},   {u"key", T, 0, B, 4, 8, kNever, Y, 12},
        {u"key", T, 1, F, 0, 8, kNever, N, 0},     {u"kEY", T, 1, B, 3, 8, kNever, Y, 12},
        {u"KEY\u00E9", T, 0, F, 0, 8, kNever, Y, 12}, {u"key\u00C9", T, 0, F, 5, 8, kNever, Y, 4},
        {u"C9 78 78", X, 1, F, 0, 8, kNever, Y, 7}, {u"78 6B", X, 1, B, 40, 8, kNever, Y, 11},
        {u"ROŁT", U, 0, F, 0, 8, kNever, Y, 16},    {u"ROŁT", U, 0, F, 17, 16, kNever, Y, 16},
        {u"ROŁT", U, 0, B, 16, 8, kNever, Y, 16},   {u"rOšT", U, 1, B, 0, 8, kNever, Y, 24},
        {u"6B4559E952006F0041017400", X, 1, F, 13, 8, kNever, Y, 12},
        {u"6B4559E952006F0041017400", X, 1, B, 12, 8, kNever, Y, 12},
        {u"xxxxkEY\u00E9", T, 1, F, 0, 4, kNever, Y, 8},  {u"zzz", T, 0, F, 9, 8, kNever, N, 0},
        {u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", T, 1, F, 0, 8, kNever, N, 0},
        {u"Q", T, 1, F, 0, 8, 20, R, 0},  {u"MZ", T, 1, F, 0, 8, 20, Y, 0},
        {u"Q", T, 1, B, 20, 8, 39, R, 0}, {u"Q", T, 1, F, 0, 8, kNever, C, 0},
        {u"MZ", T, 1, B, 0, 8, kNever, C, 0}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(&row - rows));
        const PatternParse parse = ParsePattern(row.text, SearchKind(row.kind), row.matchCase);
        ASSERT_EQ(parse.error, PatternError::None);
        CVectorSource source;
        source.bytes = kBytes;
        source.failAt = row.failAt;
        std::uint64_t lastDone = 0;
        const SearchProgress progress = [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_TRUE(done >= lastDone && done < total && total <= kBytes.size());
            lastDone = done;
            return row.outcome != C;
        };
        const SearchResult result =
            row.way == F ? FindForward(source, parse.pattern, row.from, progress, row.window)
                         : FindBackward(source, parse.pattern, row.from, progress, row.window);
        EXPECT_EQ(int(result.outcome), row.outcome);
        EXPECT_EQ(result.outcome == SearchOutcome::Found ? result.offset : 0, row.offset);
        EXPECT_LE(source.longestRead, std::max(row.window, 2 * parse.pattern.bytes.size()));
    }
    CVectorSource empty;
    const SearchPattern pattern = ParsePattern(u"a", SearchKind::Text, true).pattern;
    EXPECT_EQ(FindForward(empty, pattern, 0, nullptr).outcome, SearchOutcome::NotFound);
    EXPECT_EQ(FindBackward(empty, pattern, 0, nullptr).outcome, SearchOutcome::NotFound);
    empty.bytes = "abc";
    EXPECT_EQ(FindForward(empty, SearchPattern{}, 0, nullptr).outcome, SearchOutcome::NotFound);
}

// The skip tables against a plain reading of the rules, on bytes where pairs repeat often.
TEST(ByteSearchTest, AgreesWithAPlainScanOnRandomBytes) {
    std::mt19937 random(21);
    const char alphabet[] = {'a', 'A', 'b', 'B', '\0', '\xE9'};
    CVectorSource source;
    for (int i = 0; i < 300; ++i)
        source.bytes += alphabet[random() % 6];
    for (int trial = 0; trial < 2000; ++trial) {
        SearchPattern pattern;
        const std::size_t length = 1 + random() % 6, from = random() % 301;
        for (std::size_t i = 0; i < length; ++i) {
            pattern.bytes.push_back(static_cast<std::uint8_t>(alphabet[random() % 6]));
            pattern.fold.push_back(random() % 2);
        }
        auto matchesAt = [&](std::size_t at) {
            for (std::size_t i = 0; i < length; ++i) {
                const auto byte = static_cast<std::uint8_t>(source.bytes[at + i]);
                if (byte != pattern.bytes[i] &&
                    !(pattern.fold[i] && (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z' &&
                      (byte ^ 0x20) == pattern.bytes[i]))
                    return false;
            }
            return true;
        };
        std::vector<std::uint64_t> starts;  // from `from` on, then wrapped: reversed for backward
        for (std::size_t k = 0; k < 300; ++k) {
            if ((from + k) % 300 + length <= 300)
                starts.push_back((from + k) % 300);
        }
        SearchResult forward, backward;
        for (auto at = starts.begin();
             at != starts.end() && forward.outcome != SearchOutcome::Found; ++at)
            forward = {matchesAt(*at) ? SearchOutcome::Found : SearchOutcome::NotFound, *at};
        for (auto at = starts.rbegin();
             at != starts.rend() && backward.outcome != SearchOutcome::Found; ++at)
            backward = {matchesAt(*at) ? SearchOutcome::Found : SearchOutcome::NotFound, *at};
        const std::size_t window = 1 + random() % 20;
        const SearchResult ours[] = {FindForward(source, pattern, from, nullptr, window),
                                     FindBackward(source, pattern, from, nullptr, window)};
        SCOPED_TRACE(std::to_string(trial));
        for (int way = 0; way < 2; ++way) {
            const SearchResult& plain = way == 0 ? forward : backward;
            ASSERT_EQ(ours[way].outcome, plain.outcome);
            ASSERT_EQ(ours[way].outcome == SearchOutcome::Found ? ours[way].offset : 0,
                      plain.outcome == SearchOutcome::Found ? plain.offset : 0);
        }
    }
}

TEST(ByteSearchTest, ParsesTextUtf16AndHexOrSaysWhatIsWrong) {
    using E = PatternError;
    enum { T = int(SearchKind::Text), U = int(SearchKind::Utf16), X = int(SearchKind::HexBytes) };
    const std::u16string longest(1024, u'a'), half(512, u'a');
    // clang-format off
    const struct { std::u16string text; int kind; bool matchCase; E error; std::string bytes, fold; }
    rows[] = {
        {std::u16string(u"aZ\u00FF\0!", 5), T, 0, E::None, std::string("aZ\xFF\0!", 5), "11000"},
        {u"aZ", T, 1, E::None, "aZ", "00"}, {u"\u00E9", T, 0, E::None, "\xE9", "0"},
        {u"a\u0141\u00E9", U, 0, E::None, std::string("a\0\x41\x01\xE9\0", 6), "100000"},
        {u"4D 5a\t90 ", X, 0, E::None, "MZ\x90", "000"}, {u"4d5a90", X, 0, E::None, "MZ\x90", "000"},
        {u"", T, 0, E::Empty, "", ""}, {u"", U, 0, E::Empty, "", ""}, {u" \t", X, 0, E::Empty, "", ""},
        {u"4D5", X, 0, E::OddHexDigits, "", ""}, {u"4 D5A", X, 0, E::OddHexDigits, "", ""},
        {u"4D5 A0", X, 0, E::OddHexDigits, "", ""},
        {u"4G", X, 0, E::NotHex, "", ""}, {u"0x4D", X, 0, E::NotHex, "", ""},
        {u"a\u0100", T, 1, E::CharAboveFF, "", ""}, {longest, T, 0, E::None, "", ""},
        {longest + u"a", T, 0, E::TooLong, "", ""}, {half + u"a", U, 0, E::TooLong, "", ""},
        {std::u16string(2050, u'f'), X, 0, E::TooLong, "", ""}};
    // clang-format on
    for (const auto& row : rows) {
        const PatternParse parse = ParsePattern(row.text, SearchKind(row.kind), row.matchCase);
        SCOPED_TRACE(std::to_string(&row - rows));
        EXPECT_EQ(parse.error, row.error);
        EXPECT_EQ(GetPatternErrorMessage(row.error).empty(), row.error == E::None);
        if (row.text == longest || row.error != E::None)
            continue;
        EXPECT_EQ(std::string(parse.pattern.bytes.begin(), parse.pattern.bytes.end()), row.bytes);
        std::string fold;
        for (auto f : parse.pattern.fold)
            fold += char('0' + f);
        EXPECT_EQ(fold, row.fold);
    }
    // Find offers the selected bytes as text while they are printable, else, or from the hex
    // column, as pairs; each parses back to the same bytes.
    const struct {
        std::string bytes;
        bool hex;
        int kind;
        const char16_t* text;
    } offers[] = {{"MZ ~", 0, T, u"MZ ~"},   {"MZ", 1, X, u"4D 5A"},
                  {"M\x7F", 0, X, u"4D 7F"}, {std::string(1, '\0'), 0, X, u"00"},
                  {"", 0, T, u""},           {std::string(1025, 'a'), 0, T, u""}};
    for (const auto& row : offers) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(row.bytes.data());
        const FindText offer = SuggestFindText(bytes, row.bytes.size(), row.hex);
        EXPECT_EQ(offer.text, row.text) << (&row - offers);
        EXPECT_EQ(int(offer.kind), row.kind) << (&row - offers);
        const SearchPattern back = ParsePattern(offer.text, offer.kind, true).pattern;
        EXPECT_EQ(std::string(back.bytes.begin(), back.bytes.end()), *row.text ? row.bytes : "");
    }
}

TEST(OffsetInputTest, ParsesAbsoluteAndRelativeOffsetsOrSaysWhatIsWrong) {
    using E = OffsetError;
    constexpr auto H = OffsetBase::Hex, D = OffsetBase::Decimal;
    // clang-format off
    const struct { const char16_t* text; OffsetBase base; std::uint64_t current, size; E error;
                   std::uint64_t offset; } rows[] = {
        {u"1A2b", H, 0, 0x2000, E::None, 0x1A2B}, {u" 0x10\t", H, 0, 99, E::None, 16},
        {u"0X0", H, 5, 99, E::None, 0},           {u"+10", H, 0x20, 99, E::None, 0x30},
        {u"-0x10", H, 0x20, 99, E::None, 0x10},   {u"+0", D, 7, 99, E::None, 7},
        {u"4095", D, 0, 4096, E::None, 4095},     {u"-20", D, 20, 99, E::None, 0},
        {u"", H, 0, 99, E::Empty, 0},             {u"  ", D, 0, 99, E::Empty, 0},
        {u"0x", H, 0, 99, E::NotANumber, 0},      {u"1A", D, 0, 99, E::NotANumber, 0},
        {u"0x10", D, 0, 99, E::NotANumber, 0},    {u"1 0", H, 0, 99, E::NotANumber, 0},
        {u"+", H, 0, 99, E::NotANumber, 0},       {u"G", H, 0, 99, E::NotANumber, 0},
        {u"4096", D, 0, 4096, E::PastEnd, 0},     {u"+1", H, 0x62, 99, E::PastEnd, 0},
        {u"0", H, 0, 0, E::PastEnd, 0},           {u"-21", D, 20, 99, E::Negative, 0},
        {u"FFFFFFFFFFFFFFFF", H, 0, ~0ull, E::PastEnd, 0},
        {u"10000000000000000", H, 0, ~0ull, E::Overflow, 0},
        {u"18446744073709551616", D, 0, ~0ull, E::Overflow, 0},
        {u"+2", H, ~0ull - 1, ~0ull, E::Overflow, 0}, {u"99999999999999999999z", D, 0, 9, E::NotANumber, 0}};
    // clang-format on
    for (const auto& row : rows) {
        const OffsetParse parse = ParseOffset(row.text, row.base, row.current, row.size);
        SCOPED_TRACE(std::to_string(&row - rows));
        EXPECT_EQ(parse.error, row.error);
        EXPECT_EQ(parse.offset, row.offset);
        EXPECT_EQ(GetOffsetErrorMessage(row.error, 1).empty(), row.error == E::None);
    }
    EXPECT_EQ(GetOffsetErrorMessage(E::PastEnd, 0x1000),
              u"The offset is past the end of the file, which holds 0x1000 (4,096) bytes.");
    EXPECT_EQ(GetOffsetErrorMessage(E::PastEnd, 0x3B9ACA00),
              u"The offset is past the end of the "
              u"file, which holds 0x3B9ACA00 (1,000,000,000) bytes.");
    // A switch of base rewrites the number typed; what is none stays as it was.
    const struct {
        const char16_t* text;
        OffsetBase from, to;
        const char16_t* rewritten;
    } switches[] = {{u"00000064", H, D, u"100"},
                    {u" 100 ", D, H, u"00000064"},
                    {u"-0x1F", H, D, u"-31"},
                    {u"1A", D, H, u"1A"},
                    {u"18446744073709551615", D, H, u"FFFFFFFFFFFFFFFF"},
                    {u"", H, D, u""}};
    for (const auto& row : switches)
        EXPECT_EQ(RewriteOffset(row.text, row.from, row.to), row.rewritten) << (&row - switches);
    EXPECT_EQ(FormatOffset(0x1A2B) + FormatOffset(0x123456789) + FormatOffset(~0ull),
              u"00001A2B"
              u"123456789"
              u"FFFFFFFFFFFFFFFF");
}

}  // namespace
}  // namespace qs
