#include "preview/OffsetInput.h"

#include <limits>

namespace qs {

namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

int DigitValue(char16_t c, unsigned radix) {
    int value = 99;
    if (c >= u'0' && c <= u'9')
        value = c - u'0';
    else if (c >= u'A' && c <= u'F')
        value = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f')
        value = c - u'a' + 10;
    return value < static_cast<int>(radix) ? value : -1;
}

OffsetParse Refuse(OffsetError error) {
    OffsetParse parse;
    parse.error = error;
    return parse;
}

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string ToHex(std::uint64_t value, std::size_t minDigits) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), u"0123456789ABCDEF"[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (digits.size() < minDigits)
        digits.insert(0, minDigits - digits.size(), u'0');
    return digits;
}

// Decimal with thousands separated by commas, as the size shows in the message: "4,096".
std::u16string ToGroupedDecimal(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return Ascii(digits);
}

// The typed number: its sign (0 for none) and value, or what stops it being one.
struct Number {
    char16_t sign = 0;
    std::uint64_t value = 0;
    OffsetError error = OffsetError::None;
};

Number ReadNumber(const std::u16string& text, OffsetBase base) {
    Number number;
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    if (begin == end) {
        number.error = OffsetError::Empty;
        return number;
    }
    if (text[begin] == u'+' || text[begin] == u'-')
        number.sign = text[begin++];
    const unsigned radix = base == OffsetBase::Hex ? 16 : 10;
    if (radix == 16 && end - begin > 2 && text[begin] == u'0' &&
        (text[begin + 1] == u'x' || text[begin + 1] == u'X'))
        begin += 2;
    // Every character is checked before any overflow, so a typo is named as such.
    bool digits = begin != end;
    for (std::size_t i = begin; digits && i < end; ++i)
        digits = DigitValue(text[i], radix) >= 0;
    if (!digits) {
        number.error = OffsetError::NotANumber;
        return number;
    }
    for (std::size_t i = begin; i < end; ++i) {
        const auto digit = static_cast<std::uint64_t>(DigitValue(text[i], radix));
        if (number.value > (kMax - digit) / radix) {
            number.error = OffsetError::Overflow;
            return number;
        }
        number.value = number.value * radix + digit;
    }
    return number;
}

}  // namespace

OffsetParse ParseOffset(const std::u16string& text, OffsetBase base, std::uint64_t current,
                        std::uint64_t fileSize) {
    const Number read = ReadNumber(text, base);
    if (read.error != OffsetError::None)
        return Refuse(read.error);
    std::uint64_t number = read.value;
    if (read.sign == u'+') {
        if (number > kMax - current)
            return Refuse(OffsetError::Overflow);
        number += current;
    } else if (read.sign == u'-') {
        if (number > current)
            return Refuse(OffsetError::Negative);
        number = current - number;
    }
    if (number >= fileSize)
        return Refuse(OffsetError::PastEnd);
    return {number, OffsetError::None};
}

std::u16string RewriteOffset(const std::u16string& text, OffsetBase from, OffsetBase to) {
    const Number read = ReadNumber(text, from);
    if (read.error != OffsetError::None || from == to)
        return text;
    const std::u16string digits =
        to == OffsetBase::Hex ? FormatOffset(read.value) : Ascii(std::to_string(read.value));
    return read.sign != 0 ? read.sign + digits : digits;
}

std::u16string GetOffsetErrorMessage(OffsetError error, std::uint64_t fileSize) {
    switch (error) {
        case OffsetError::None:
            return u"";
        case OffsetError::Empty:
            return u"Type the offset to go to.";
        case OffsetError::NotANumber:
            return u"The offset is not a number in the chosen base: hex takes 0 to 9 and A to F, "
                   u"decimal 0 to 9.";
        case OffsetError::PastEnd:
            return u"The offset is past the end of the file, which holds 0x" + ToHex(fileSize, 1) +
                   u" (" + ToGroupedDecimal(fileSize) + u") bytes.";
        case OffsetError::Negative:
            return u"The offset would be before the start of the file.";
        case OffsetError::Overflow:
            return u"The offset is too large: offsets have at most 64 bits.";
    }
    return u"";
}

std::u16string FormatOffset(std::uint64_t offset) {
    return ToHex(offset, 8);
}

}  // namespace qs
