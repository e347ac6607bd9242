#include <windows.h>

#include "platform/system/CaseMapping.h"
#include "platform/system/WideText.h"

namespace qs {

std::u16string ToLowerCase(std::u16string_view text) {
    std::u16string lower(text);
    // CharLowerW takes a pointer whose high word is zero for a single character; a string's
    // address never is one.
    if (!lower.empty()) {
        ::CharLowerW(AsWide(lower.data()));
    }
    return lower;
}

}  // namespace qs
