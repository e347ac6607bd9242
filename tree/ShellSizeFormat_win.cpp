#include "tree/ShellSizeFormat.h"

#include <windows.h>

#include <shlwapi.h>

#include <string>

#include "platform/system/WideText.h"

namespace qs {

namespace {

std::wstring LocaleText(LCTYPE type) {
    wchar_t text[16] = {};
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 16);
    return text;
}

// LOCALE_SGROUPING's "3;0" or "3;2;0" as NUMBERFMTW wants it (3, 32): the digits in order, and
// a final 0 that repeats the last group dropped, or one more 0 when the last group doesn't repeat.
UINT GroupingOf(const std::wstring& grouping) {
    UINT value = 0;
    for (const wchar_t c : grouping) {
        if (c >= L'0' && c <= L'9') {
            value = value * 10 + static_cast<UINT>(c - L'0');
        }
    }
    const bool repeats =
        grouping.size() >= 2 && grouping.compare(grouping.size() - 2, 2, L";0") == 0;
    return repeats ? value / 10 : value * 10;
}

class CShellSizeFormatter : public SizeFormatter {
public:
    std::u16string Bytes(std::uint64_t bytes) const override {
        wchar_t text[64] = {};
        if (::StrFormatByteSizeW(static_cast<LONGLONG>(bytes), text, 64) == nullptr) {
            return std::u16string();
        }
        return FromWide(text);
    }

    // GetNumberFormatW with the user's separators and grouping, and no decimals.
    std::u16string Count(std::uint64_t count) const override {
        const std::wstring digits = std::to_wstring(count);
        const std::wstring decimal = LocaleText(LOCALE_SDECIMAL);
        const std::wstring thousand = LocaleText(LOCALE_STHOUSAND);
        NUMBERFMTW format = {};
        format.NumDigits = 0;
        format.LeadingZero = 0;
        format.Grouping = GroupingOf(LocaleText(LOCALE_SGROUPING));
        format.lpDecimalSep = const_cast<wchar_t*>(decimal.c_str());
        format.lpThousandSep = const_cast<wchar_t*>(thousand.c_str());
        format.NegativeOrder = 1;
        wchar_t text[64] = {};
        if (::GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits.c_str(), &format, text, 64) == 0) {
            return FromWide(digits.c_str());
        }
        return FromWide(text);
    }
};

}  // namespace

const SizeFormatter& GetShellSizeFormatter() {
    static const CShellSizeFormatter formatter;
    return formatter;
}

}  // namespace qs
