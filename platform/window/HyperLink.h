// A hyperlink made from an existing control, usually a text static of a dialog: its label drawn
// underlined in the user's link colour, the hand cursor and a tool tip with the address over the
// label, and a click, Enter or Space opening the address through the shell. Win32 only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/window/Accessible.h"
#include "platform/window/WindowImpl.h"

namespace qs {

class CHyperLink : public CWindowImpl {
public:
    CHyperLink() = default;
    // Deletes the link font; the window, if still there, gets its own procedure back.
    ~CHyperLink() override;

    // Attaches to the control and sets the link up: mouse input for a static, the fonts, the
    // tool tip, the label from the control's text when none is set, and the user's colours.
    BOOL SubclassWindow(HWND hWnd) override;

    // The text shown; it also becomes the control's window text.
    void SetLabel(const wchar_t* label);
    // The address opened; the tool tip shows it.
    void SetTarget(const wchar_t* target);
    const std::wstring& GetLabel() const { return m_label; }
    const std::wstring& GetTarget() const { return m_target; }
    bool IsVisited() const { return m_visited; }

    // Opens the target through the shell; on success the link is drawn as visited from now on.
    bool Navigate();

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                              LRESULT& lResult) override;

private:
    void Init();
    void ReadUserColours();
    void CalcLabelRect();
    void UpdateTool();
    void OnPaint();
    UINT TextFormat() const;
    bool IsInLabel(LPARAM clientPoint) const;
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);  // HyperLinkAccess_win.cpp
    HFONT DrawingFont() const { return m_linkFont != nullptr ? m_linkFont : m_normalFont; }

    std::wstring m_label;
    std::wstring m_target;
    HCURSOR m_cursor = nullptr;
    HFONT m_linkFont = nullptr;    // ours: the parent's font, underlined
    HFONT m_normalFont = nullptr;  // the parent's
    RECT m_labelRect = {};         // client coordinates; only this part reacts to the mouse
    HWND m_tip = nullptr;
    bool m_toolAdded = false;
    COLORREF m_linkColour = RGB(0, 0, 255);
    COLORREF m_visitedColour = RGB(128, 0, 128);
    bool m_paintLabel = true;
    bool m_visited = false;
    CAccessibleHolder m_accessible;  // last: detached before the rest goes
};

}  // namespace qs
