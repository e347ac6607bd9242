#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/system/CaseMapping.h"
#include "platform/system/LowerCaseTable_posix.h"

namespace qs {

namespace {

char32_t LowerCodePoint(char32_t cp) {
    // The last run that starts at or before cp is the only one that can hold it.
    const auto next =
        std::upper_bound(std::begin(kLowerCaseRuns), std::end(kLowerCaseRuns), cp,
                         [](char32_t c, const LowerCaseRun& r) { return c < r.first; });
    if (next == std::begin(kLowerCaseRuns)) {
        return cp;
    }
    const LowerCaseRun& run = *std::prev(next);
    if (cp > run.last || (cp - run.first) % static_cast<char32_t>(run.stride) != 0) {
        return cp;
    }
    return static_cast<char32_t>(static_cast<int32_t>(cp) + run.delta);
}

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

std::u16string ToLowerCase(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t cp =
                0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            // The simple mapping never moves a code point between the planes.
            const char32_t lower = LowerCodePoint(cp) - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (lower >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (lower & 0x3FF)));
            ++i;
        } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            out.push_back(u);
        } else {
            out.push_back(static_cast<char16_t>(LowerCodePoint(u)));
        }
    }
    return out;
}

}  // namespace qs
