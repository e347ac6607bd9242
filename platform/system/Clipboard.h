// Text onto the clipboard. Win32 only.
#pragma once

#include <windows.h>

#include <string>

namespace qs {

// Puts the text and a terminating null on the clipboard as CF_UNICODETEXT, with owner as the
// clipboard's owner window. False, with the clipboard as it was, when it can't be opened or the
// block can't be made; false, with the clipboard emptied or left, when it won't take the block.
// The clipboard is always closed again and a block it did not take is freed.
bool SetClipboardText(HWND owner, const std::u16string& text);

}  // namespace qs
