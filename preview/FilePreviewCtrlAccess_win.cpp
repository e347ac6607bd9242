// The preview as screen readers and magnifiers read it: what the control answers for its client
// object, and the object itself.
#include <new>

#include "platform/system/WideText.h"
#include "preview/FilePreviewCtrl.h"
#include "preview/LineFormat.h"

namespace qs {
namespace {

std::wstring Wide(const std::u16string& text) {
    return std::wstring(AsWide(text), text.size());
}

// A read-only document named after the file, which takes the focus, whose value is the lines on
// the screen and whose description is the selection. It asks the control anew on every call, so it
// never goes stale.
class CPreviewAccessible final : public CWindowAccessible {
public:
    explicit CPreviewAccessible(CFilePreviewCtrl& preview)
        : CWindowAccessible(preview.m_hWnd), m_preview(preview) {}

private:
    long GetRole() const override { return ROLE_SYSTEM_DOCUMENT; }
    // Focused is added while it has the focus.
    long GetStateBits() const override { return STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY; }
    std::wstring GetName() const override { return Wide(m_preview.GetAccessibleName()); }
    std::wstring GetValue() const override { return Wide(m_preview.GetAccessibleValue()); }
    std::wstring GetDescription() const override {
        return Wide(m_preview.GetAccessibleDescription());
    }

    CFilePreviewCtrl& m_preview;  // asked only while attached: the control detaches us first
};

}  // namespace

std::u16string CFilePreviewCtrl::GetAccessibleName() const {
    const std::u16string::size_type slash = m_shownPath.find_last_of(u"\\/");
    const std::u16string name =
        slash == std::u16string::npos ? m_shownPath : m_shownPath.substr(slash + 1);
    return name.empty() ? u"Hex dump" : u"Hex dump of " + name;
}

// The lines a paint draws, each formatted as DrawLine formats it; the empty text, or why the file
// could not be opened, when that is what is drawn. Whole lines: a line cut at the edge is still
// read whole.
std::u16string CFilePreviewCtrl::GetAccessibleValue() {
    const std::uint64_t size = m_file.GetSize();
    if (size == 0)
        return GetShownText();
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    const LineSpan span = LinesToDraw(m_layout, client.bottom);
    std::u16string value;
    for (std::uint64_t line = span.first; line < span.end; ++line) {
        const LineBytes range = LineBytesAt(line, m_bytesPerLine, size);
        if (!range.drawn)
            break;
        const std::uint8_t* bytes =
            range.count > 0 ? m_file.GetBytes(range.offset, static_cast<std::uint32_t>(range.count))
                            : nullptr;
        if (line != span.first)
            value += u"\r\n";
        value +=
            FormatLine(bytes, bytes != nullptr ? range.count : 0, range.offset, m_bytesPerLine);
    }
    return value;
}

std::u16string CFilePreviewCtrl::GetAccessibleDescription() const {
    return DescribeSelection(GetSelection());
}

LRESULT CFilePreviewCtrl::OnGetObject(WPARAM wParam, LPARAM lParam) {
    return m_accessible.Answer(wParam, lParam, [this]() -> CWindowAccessible* {
        return new (std::nothrow) CPreviewAccessible(*this);
    });
}

}  // namespace qs
