// The viewer's Find: the pattern made from what the user typed and chose, and a forward or backward
// search for it over a byte source, read a window at a time so that no file is ever held whole.
// Portable: the dialog and the keys that call it live in the Win32 half.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "preview/ByteSource.h"

namespace qs {

enum class SearchKind { Text, Utf16, HexBytes };

constexpr std::size_t kMaxPatternBytes = 1024;

// The bytes to find, and for each byte whether it matches either case of an ASCII letter.
struct SearchPattern {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> fold;
};

enum class PatternError { None, Empty, OddHexDigits, NotHex, CharAboveFF, TooLong };

struct PatternParse {
    SearchPattern pattern;
    PatternError error = PatternError::None;
};

// Text: one byte per character, U+0000..U+00FF as the byte of that value (as the dump's character
// column shows bytes); anything above is refused. Utf16: the text's UTF-16LE bytes. HexBytes:
// pairs of hex digits, spaces and tabs allowed between pairs ("4D 5A 90", "4d5a90"); a group of
// digits of odd length or any other character is refused. With matchCase false only ASCII letters
// fold: for UTF-16 only the low byte of a code unit that is itself an ASCII letter, so the 0x41
// in U+0141 stays exact. Hex bytes never fold. More than kMaxPatternBytes once encoded: TooLong.
// On an error the pattern is empty.
PatternParse ParsePattern(const std::u16string& text, SearchKind kind, bool matchCase);

// One short sentence for the Find dialog; empty for None.
std::u16string GetPatternErrorMessage(PatternError error);

// What Find offers for the selected bytes: hex pairs ("4D 5A 90") when they were selected in the
// hex column or one of them lies outside U+0020 to U+007E, else the text itself. An empty text for
// none, or for more than kMaxPatternBytes.
struct FindText {
    std::u16string text;
    SearchKind kind = SearchKind::Text;
};
FindText SuggestFindText(const std::uint8_t* bytes, std::size_t count, bool hexColumn);

enum class SearchOutcome { Found, NotFound, Cancelled, ReadFailed };

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NotFound;
    std::uint64_t offset = 0;
};

// Called between windows with the match starts examined so far and the starts to examine in all;
// false cancels the search.
using SearchProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

constexpr std::size_t kSearchWindow = std::size_t{4} << 20;

// Forward: the first match starting at or after `from`; if none, wraps once to the first match
// starting before `from`. Backward: the last match starting before `before`; if none, wraps once
// to the last match starting at or after `before`. Positions past GetSize() count as GetSize().
// Reads `source` in windows of `window` bytes (at least twice the pattern's length) overlapping by
// the pattern's length - 1, so a match across a window edge is found. An empty file or pattern:
// NotFound. A Read that gives null: ReadFailed, at the offset of that window. An empty `progress`
// is allowed.
SearchResult FindForward(ByteSource& source, const SearchPattern& pattern, std::uint64_t from,
                         const SearchProgress& progress, std::size_t window = kSearchWindow);
SearchResult FindBackward(ByteSource& source, const SearchPattern& pattern, std::uint64_t before,
                          const SearchProgress& progress, std::size_t window = kSearchWindow);

}  // namespace qs
