// The viewer's two small boxes: Find (what to look for, and how) and Go To (an offset). Both are
// modal and owned by the viewer, and keep themselves open with a message while what was typed
// can't be used. Win32 only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/window/DialogImpl.h"
#include "preview/ByteSearch.h"
#include "preview/OffsetInput.h"

namespace qs {

// What the user last asked to find; kept by the viewer for F3, Shift+F3 and the next Find.
struct FindRequest {
    std::u16string text;
    SearchKind kind = SearchKind::Text;
    bool matchCase = false;
    SearchPattern pattern;  // the text in that kind, once accepted
};

// A small box of our own: the default button (or Enter) takes what was typed when it can be
// used, and Cancel (or Esc) leaves it.
class CInputDlg : public CDialogImpl {
public:
    using CDialogImpl::CDialogImpl;

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

protected:
    // Fills the box in and gives the focus to its edit box.
    virtual void OnInitDialog() = 0;
    // Ends the box with IDOK, or says what is wrong and keeps it open.
    virtual void OnOK() = 0;
    // Any other command of the box's controls.
    virtual void OnCommand(int) {}
};

class CFindDlg : public CInputDlg {
public:
    // Opens with `request` filled in; "Find Next" stores what was typed back into it.
    explicit CFindDlg(FindRequest& request);

private:
    void OnInitDialog() override;
    void OnOK() override;

    FindRequest& m_request;
};

class CGoToDlg : public CInputDlg {
public:
    // `current` is offered, selected, in hex; relative moves start from it. Switching the base
    // rewrites what is typed in the new one.
    CGoToDlg(std::uint64_t current, std::uint64_t fileSize);

    // The offset accepted by OK.
    std::uint64_t GetOffset() const { return m_offset; }

private:
    void OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;

    OffsetBase m_base = OffsetBase::Hex;  // the base the text is written in
    std::uint64_t m_current;
    std::uint64_t m_fileSize;
    std::uint64_t m_offset = 0;
};

}  // namespace qs
