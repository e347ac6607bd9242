#include "preview/FindDlg.h"

#include "platform/system/WideText.h"
#include "platform/window/CentreWindow.h"
#include "res/resource.h"

namespace qs {
namespace {

const wchar_t kCaption[] = L"Quarrystone";

std::u16string GetItemText(HWND dialog, int id) {
    const HWND item = ::GetDlgItem(dialog, id);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextW(item, &text[0], static_cast<int>(text.size()))));
    return FromWide(text.c_str(), text.size());
}

// The edit box takes the focus with its whole text selected, so that typing replaces it.
void FocusEdit(HWND dialog, int id) {
    const HWND edit = ::GetDlgItem(dialog, id);
    ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

// Says what is wrong with the input; the box stays open with the text as typed.
void Refuse(HWND dialog, int editId, const std::u16string& message) {
    ::MessageBoxW(dialog, AsWide(message), kCaption, MB_OK | MB_ICONWARNING);
    FocusEdit(dialog, editId);
}

}  // namespace

BOOL CInputDlg::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult) {
    lResult = 0;
    if (uMsg == WM_INITDIALOG) {
        CentreWindow(m_hWnd);  // over the viewer
        OnInitDialog();
        lResult = FALSE;  // the focus is set
        return TRUE;
    }
    if (uMsg != WM_COMMAND)
        return FALSE;
    if (LOWORD(wParam) == IDOK) {
        OnOK();
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    OnCommand(LOWORD(wParam));
    return FALSE;
}

CFindDlg::CFindDlg(FindRequest& request) : CInputDlg(IDD_FINDDLG), m_request(request) {}

void CFindDlg::OnInitDialog() {
    ::SetDlgItemTextW(m_hWnd, IDC_FIND_TEXT, AsWide(m_request.text));
    const int kind = m_request.kind == SearchKind::Utf16      ? IDC_FIND_KIND_UTF16
                     : m_request.kind == SearchKind::HexBytes ? IDC_FIND_KIND_HEX
                                                              : IDC_FIND_KIND_TEXT;
    ::CheckRadioButton(m_hWnd, IDC_FIND_KIND_TEXT, IDC_FIND_KIND_HEX, kind);
    ::CheckDlgButton(m_hWnd, IDC_FIND_MATCH_CASE,
                     m_request.matchCase ? BST_CHECKED : BST_UNCHECKED);
    FocusEdit(m_hWnd, IDC_FIND_TEXT);
}

void CFindDlg::OnOK() {
    FindRequest typed;
    typed.text = GetItemText(m_hWnd, IDC_FIND_TEXT);
    typed.kind =
        ::IsDlgButtonChecked(m_hWnd, IDC_FIND_KIND_UTF16) == BST_CHECKED ? SearchKind::Utf16
        : ::IsDlgButtonChecked(m_hWnd, IDC_FIND_KIND_HEX) == BST_CHECKED ? SearchKind::HexBytes
                                                                         : SearchKind::Text;
    typed.matchCase = ::IsDlgButtonChecked(m_hWnd, IDC_FIND_MATCH_CASE) == BST_CHECKED;
    PatternParse parsed = ParsePattern(typed.text, typed.kind, typed.matchCase);
    if (parsed.error != PatternError::None) {
        Refuse(m_hWnd, IDC_FIND_TEXT, GetPatternErrorMessage(parsed.error));
        return;
    }
    typed.pattern = std::move(parsed.pattern);
    m_request = std::move(typed);
    EndDialog(IDOK);
}

CGoToDlg::CGoToDlg(std::uint64_t current, std::uint64_t fileSize)
    : CInputDlg(IDD_GOTODLG), m_current(current), m_fileSize(fileSize) {}

void CGoToDlg::OnInitDialog() {
    ::SetDlgItemTextW(m_hWnd, IDC_GOTO_OFFSET, AsWide(FormatOffset(m_current)));
    ::CheckRadioButton(m_hWnd, IDC_GOTO_HEX, IDC_GOTO_DECIMAL, IDC_GOTO_HEX);
    FocusEdit(m_hWnd, IDC_GOTO_OFFSET);
}

// A click, an arrow key or a mnemonic on either base: the offset keeps meaning the same place.
void CGoToDlg::OnCommand(int id) {
    if (id != IDC_GOTO_HEX && id != IDC_GOTO_DECIMAL)
        return;
    const OffsetBase base = ::IsDlgButtonChecked(m_hWnd, IDC_GOTO_DECIMAL) == BST_CHECKED
                                ? OffsetBase::Decimal
                                : OffsetBase::Hex;
    if (base == m_base)
        return;
    const std::u16string typed = GetItemText(m_hWnd, IDC_GOTO_OFFSET);
    ::SetDlgItemTextW(m_hWnd, IDC_GOTO_OFFSET, AsWide(RewriteOffset(typed, m_base, base)));
    m_base = base;
}

void CGoToDlg::OnOK() {
    const OffsetBase base = ::IsDlgButtonChecked(m_hWnd, IDC_GOTO_DECIMAL) == BST_CHECKED
                                ? OffsetBase::Decimal
                                : OffsetBase::Hex;
    const OffsetParse parsed =
        ParseOffset(GetItemText(m_hWnd, IDC_GOTO_OFFSET), base, m_current, m_fileSize);
    if (parsed.error != OffsetError::None) {
        Refuse(m_hWnd, IDC_GOTO_OFFSET, GetOffsetErrorMessage(parsed.error, m_fileSize));
        return;
    }
    m_offset = parsed.offset;
    EndDialog(IDOK);
}

}  // namespace qs
