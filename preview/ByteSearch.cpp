#include "preview/ByteSearch.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qs {

namespace {

bool IsAsciiLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

PatternParse Refuse(PatternError error) {
    PatternParse parse;
    parse.error = error;
    return parse;
}

PatternParse ParseHexBytes(const std::u16string& text) {
    PatternParse parse;
    std::size_t groupDigits = 0;
    bool oddGroup = false;
    for (char16_t c : text) {
        if (IsBlank(c)) {
            oddGroup = oddGroup || groupDigits % 2 != 0;
            groupDigits = 0;
            continue;
        }
        const int value = HexDigitValue(c);
        if (value < 0)
            return Refuse(PatternError::NotHex);
        if (groupDigits++ % 2 == 0) {
            parse.pattern.bytes.push_back(static_cast<std::uint8_t>(value << 4));
        } else {
            parse.pattern.bytes.back() |= static_cast<std::uint8_t>(value);
        }
    }
    if (oddGroup || groupDigits % 2 != 0)
        return Refuse(PatternError::OddHexDigits);
    parse.pattern.fold.assign(parse.pattern.bytes.size(), 0);
    return parse;
}

constexpr std::size_t kNotFound = std::numeric_limits<std::size_t>::max();

// Horspool's skip loop keyed on two bytes rather than one. Each table holds, for every pair of
// bytes in the pattern, how near that pair stands to the end the loop keys on (0: not in the
// pattern). On ordinary data almost every pair is absent, and then the loop steps the pattern's
// whole length - 1; that step does not wait for the table, so the processor runs several look-ups
// ahead. Forward keys on the candidate's last two bytes, backward on its first two. Folded
// letters are compared with 0x20 or'ed in, which is exact for ASCII letters.
class CPatternMatcher {
public:
    explicit CPatternMatcher(const SearchPattern& pattern)
        : m_length(pattern.bytes.size()),
          m_bytes(pattern.bytes),
          m_mask(m_length, 0),
          m_forward(kKeys),
          m_backward(kKeys) {
        for (std::size_t i = 0; i < m_length; ++i) {
            if (i < pattern.fold.size() && pattern.fold[i] != 0 && IsAsciiLetter(m_bytes[i])) {
                m_mask[i] = 0x20;
                m_bytes[i] |= 0x20;
            }
        }
        if (m_length >= 2)
            BuildTables();
    }

    std::size_t GetLength() const { return m_length; }

    // The first (or last) start in [0, length - m] of data where the pattern matches.
    std::size_t FindFirst(const std::uint8_t* data, std::size_t length) const {
        if (length < m_length)
            return kNotFound;
        if (m_length == 1)
            return FindFirstByte(data, length);
        const std::size_t step = m_length - 1;
        // `end`: the candidate's last byte.
        for (std::size_t end = step; end < length;) {
            std::size_t near = m_forward[Key(data[end - 1], data[end])];
            while (near == 0) {
                end += step;
                if (end >= length)
                    return kNotFound;
                near = m_forward[Key(data[end - 1], data[end])];
            }
            if (near < step) {
                end += step - near;
            } else if (MatchesAt(data + end - step)) {
                return end - step;
            } else {
                end += m_forwardAfterMiss;
            }
        }
        return kNotFound;
    }

    std::size_t FindLast(const std::uint8_t* data, std::size_t length) const {
        if (length < m_length)
            return kNotFound;
        if (m_length == 1) {
            for (std::size_t i = length; i-- > 0;) {
                if ((data[i] | m_mask[0]) == m_bytes[0])
                    return i;
            }
            return kNotFound;
        }
        const std::size_t step = m_length - 1;
        for (std::size_t start = length - m_length;;) {
            std::size_t near = m_backward[Key(data[start], data[start + 1])];
            while (near == 0) {
                if (start < step)
                    return kNotFound;
                start -= step;
                near = m_backward[Key(data[start], data[start + 1])];
            }
            std::size_t shift = step - near;
            if (shift == 0) {
                if (MatchesAt(data + start))
                    return start;
                shift = m_backwardAfterMiss;
            }
            if (start < shift)
                return kNotFound;
            start -= shift;
        }
    }

private:
    static constexpr std::size_t kKeys = 4096;  // 16 KiB a table: stays in the first-level cache

    // The letters of one case span 26 values, fewer than 31, so every pair of them gets a key of
    // its own: text, the likeliest thing to search through, then rarely stops the skip loop on a
    // pattern of letters merely by sharing a key.
    static std::size_t Key(std::uint8_t a, std::uint8_t b) {
        return (std::size_t{a} * 31 + b) & (kKeys - 1);
    }

    // The text bytes that match pattern byte i: one, or both cases of a folded letter.
    int Variants(std::size_t i, std::uint8_t out[2]) const {
        out[0] = m_bytes[i];
        out[1] = static_cast<std::uint8_t>(m_bytes[i] & ~0x20);
        return m_mask[i] != 0 ? 2 : 1;
    }

    // Every key that text matching the pattern's bytes i and i + 1 can give.
    template <typename Visit>
    void ForEachKey(std::size_t i, Visit visit) const {
        std::uint8_t a[2], b[2];
        const int as = Variants(i, a), bs = Variants(i + 1, b);
        for (int x = 0; x < as; ++x) {
            for (int y = 0; y < bs; ++y)
                visit(Key(a[x], b[y]));
        }
    }

    // Nearness m - 1 - d for a pair d steps from the keyed end: the keyed pair itself has m - 1,
    // and the nearest pair wins. After a failed comparison the loop can step past the keyed pair
    // to the nearest other pair that shares one of its keys.
    void BuildTables() {
        const std::size_t step = m_length - 1;
        auto missStep = [&](const std::vector<std::uint32_t>& table, std::size_t pair) {
            std::size_t shift = step;
            ForEachKey(pair, [&](std::size_t key) {
                if (table[key] != 0)
                    shift = std::min<std::size_t>(shift, step - table[key]);
            });
            return shift;
        };
        // Forward: the pair at i, i + 1 lies m - 2 - i from the candidate's last pair.
        for (std::size_t i = 0; i + 2 < m_length; ++i)
            ForEachKey(i, [&](std::size_t key) { m_forward[key] = Near(i + 1); });
        m_forwardAfterMiss = missStep(m_forward, m_length - 2);
        ForEachKey(m_length - 2, [&](std::size_t key) { m_forward[key] = Near(step); });
        // Backward, mirrored: the pair at i lies i from the candidate's first pair.
        for (std::size_t i = m_length - 2; i >= 1; --i)
            ForEachKey(i, [&](std::size_t key) { m_backward[key] = Near(step - i); });
        m_backwardAfterMiss = missStep(m_backward, 0);
        ForEachKey(0, [&](std::size_t key) { m_backward[key] = Near(step); });
    }

    static std::uint32_t Near(std::size_t nearness) { return static_cast<std::uint32_t>(nearness); }

    bool MatchesAt(const std::uint8_t* text) const {
        for (std::size_t i = 0; i < m_length; ++i) {
            if ((text[i] | m_mask[i]) != m_bytes[i])
                return false;
        }
        return true;
    }

    std::size_t FindFirstByte(const std::uint8_t* data, std::size_t length) const {
        if (m_mask[0] == 0) {
            const void* found = std::memchr(data, m_bytes[0], length);
            return found ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - data)
                         : kNotFound;
        }
        for (std::size_t i = 0; i < length; ++i) {
            if ((data[i] | m_mask[0]) == m_bytes[0])
                return i;
        }
        return kNotFound;
    }

    std::size_t m_length;
    std::vector<std::uint8_t> m_bytes;  // folded letters in lower case
    std::vector<std::uint8_t> m_mask;   // 0x20 where a letter folds, else 0
    std::vector<std::uint32_t> m_forward;
    std::vector<std::uint32_t> m_backward;
    std::size_t m_forwardAfterMiss = 1;
    std::size_t m_backwardAfterMiss = 1;
};

// One search: the matcher, the windows read so far and the progress reported.
class CWindowedSearch {
public:
    CWindowedSearch(ByteSource& source, const SearchPattern& pattern,
                    const SearchProgress& progress, std::size_t window)
        : m_source(source),
          m_matcher(pattern),
          m_progress(progress),
          m_size(source.GetSize()),
          m_length(m_matcher.GetLength()),
          // Twice the pattern at least, so each window moves on by more than the overlap.
          m_window(std::max(window, 2 * m_length)) {}

    std::uint64_t GetSize() const { return m_size; }
    bool IsHopeless() const { return m_length == 0 || m_size < m_length; }

    // The first or last match starting in [lo, hi).
    SearchResult FindFirstIn(std::uint64_t lo, std::uint64_t hi) {
        hi = std::min(hi, GetStartCount());
        const std::uint64_t stride = m_window - m_length + 1;
        for (std::uint64_t start = lo; start < hi;) {
            const std::uint64_t starts = std::min(hi - start, stride);
            SearchResult result = ReadAndFind(start, starts, true);
            if (result.outcome != SearchOutcome::NotFound)
                return result;
            start += starts;
        }
        return {};
    }

    SearchResult FindLastIn(std::uint64_t lo, std::uint64_t hi) {
        hi = std::min(hi, GetStartCount());
        const std::uint64_t stride = m_window - m_length + 1;
        for (std::uint64_t end = hi; end > lo;) {
            const std::uint64_t starts = std::min(end - lo, stride);
            SearchResult result = ReadAndFind(end - starts, starts, false);
            if (result.outcome != SearchOutcome::NotFound)
                return result;
            end -= starts;
        }
        return {};
    }

private:
    std::uint64_t GetStartCount() const { return m_size - m_length + 1; }

    // Reads the bytes of the `starts` match starts from `start` and looks for a match among them.
    SearchResult ReadAndFind(std::uint64_t start, std::uint64_t starts, bool first) {
        if (m_readAny && m_progress && !m_progress(m_done, GetStartCount()))
            return {SearchOutcome::Cancelled, 0};
        m_readAny = true;
        const auto span = static_cast<std::size_t>(starts + m_length - 1);
        const std::uint8_t* data = m_source.Read(start, span);
        if (data == nullptr)
            return {SearchOutcome::ReadFailed, start};
        const std::size_t at =
            first ? m_matcher.FindFirst(data, span) : m_matcher.FindLast(data, span);
        if (at != kNotFound)
            return {SearchOutcome::Found, start + at};
        m_done += starts;
        return {};
    }

    ByteSource& m_source;
    CPatternMatcher m_matcher;
    const SearchProgress& m_progress;
    std::uint64_t m_size;
    std::size_t m_length;
    std::size_t m_window;
    std::uint64_t m_done = 0;
    bool m_readAny = false;
};

}  // namespace

PatternParse ParsePattern(const std::u16string& text, SearchKind kind, bool matchCase) {
    if (kind == SearchKind::HexBytes) {
        PatternParse parse = ParseHexBytes(text);
        if (parse.error == PatternError::None && parse.pattern.bytes.empty())
            return Refuse(PatternError::Empty);
        if (parse.pattern.bytes.size() > kMaxPatternBytes)
            return Refuse(PatternError::TooLong);
        return parse;
    }
    if (text.empty())
        return Refuse(PatternError::Empty);
    const std::size_t perChar = kind == SearchKind::Utf16 ? 2 : 1;
    if (text.size() > kMaxPatternBytes / perChar)
        return Refuse(PatternError::TooLong);
    PatternParse parse;
    SearchPattern& pattern = parse.pattern;
    for (char16_t c : text) {
        if (kind == SearchKind::Text && c > 0xFF)
            return Refuse(PatternError::CharAboveFF);
        const std::uint8_t fold = !matchCase && IsAsciiLetter(c) ? 1 : 0;
        pattern.bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        pattern.fold.push_back(fold);
        if (kind == SearchKind::Utf16) {
            pattern.bytes.push_back(static_cast<std::uint8_t>(c >> 8));
            pattern.fold.push_back(0);
        }
    }
    return parse;
}

FindText SuggestFindText(const std::uint8_t* bytes, std::size_t count, bool hexColumn) {
    FindText found;
    if (bytes == nullptr || count == 0 || count > kMaxPatternBytes)
        return found;
    const bool printable = std::all_of(
        bytes, bytes + count, [](std::uint8_t byte) { return byte >= 0x20 && byte <= 0x7E; });
    found.kind = hexColumn || !printable ? SearchKind::HexBytes : SearchKind::Text;
    for (std::size_t i = 0; i < count; ++i) {
        if (found.kind == SearchKind::Text) {
            found.text += static_cast<char16_t>(bytes[i]);
        } else {
            if (i != 0)
                found.text += u' ';
            found.text += u"0123456789ABCDEF"[bytes[i] >> 4];
            found.text += u"0123456789ABCDEF"[bytes[i] & 0xF];
        }
    }
    return found;
}

std::u16string GetPatternErrorMessage(PatternError error) {
    switch (error) {
        case PatternError::None:
            return u"";
        case PatternError::Empty:
            return u"Type the text or the bytes to find.";
        case PatternError::OddHexDigits:
            return u"Hex bytes are pairs of digits, such as 4D 5A 90; a digit is missing.";
        case PatternError::NotHex:
            return u"Hex bytes take only the digits 0 to 9 and A to F, with spaces between pairs.";
        case PatternError::CharAboveFF:
            return u"Text finds characters up to U+00FF only; choose UTF-16 text for the others.";
        case PatternError::TooLong:
            return u"The search is too long: it can hold at most 1,024 bytes.";
    }
    return u"";
}

SearchResult FindForward(ByteSource& source, const SearchPattern& pattern, std::uint64_t from,
                         const SearchProgress& progress, std::size_t window) {
    CWindowedSearch search(source, pattern, progress, window);
    if (search.IsHopeless())
        return {};
    from = std::min(from, search.GetSize());
    const SearchResult after = search.FindFirstIn(from, search.GetSize());
    if (after.outcome != SearchOutcome::NotFound)
        return after;
    return search.FindFirstIn(0, from);
}

SearchResult FindBackward(ByteSource& source, const SearchPattern& pattern, std::uint64_t before,
                          const SearchProgress& progress, std::size_t window) {
    CWindowedSearch search(source, pattern, progress, window);
    if (search.IsHopeless())
        return {};
    before = std::min(before, search.GetSize());
    const SearchResult earlier = search.FindLastIn(0, before);
    if (earlier.outcome != SearchOutcome::NotFound)
        return earlier;
    return search.FindLastIn(before, search.GetSize());
}

}  // namespace qs
