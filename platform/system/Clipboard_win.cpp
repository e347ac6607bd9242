#include "platform/system/Clipboard.h"

#include <cstring>

namespace qs {

namespace {

// A movable, shareable block holding the text and its null; null when it can't be made.
HGLOBAL MakeTextBlock(const std::u16string& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(char16_t);
    const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (block == nullptr)
        return nullptr;
    void* data = ::GlobalLock(block);
    if (data == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(data, text.c_str(), bytes);
    ::GlobalUnlock(block);
    return block;
}

}  // namespace

bool SetClipboardText(HWND owner, const std::u16string& text) {
    if (!::OpenClipboard(owner))
        return false;
    bool given = false;
    if (const HGLOBAL block = MakeTextBlock(text)) {
        given = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!given)
            ::GlobalFree(block);
    }
    ::CloseClipboard();
    return given;
}

}  // namespace qs
