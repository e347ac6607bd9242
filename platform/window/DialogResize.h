// The resize mix-in of a resizable dialog: a size grip in the bottom-right corner, a smallest size
// (the size at opening), and controls that stretch or move with the client area by a resize map.
// The dialog calls InitResize from WM_INITDIALOG and offers its messages to
// ProcessResizeMessage. Win32 only.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/window/ResizeLayout.h"

namespace qs {

// One control of a resize map: its id and ResizeFlag bits. A map ends with an entry of id -1.
struct ResizeMapEntry {
    int id;
    unsigned flags;
};

class CDialogResize {
public:
    // The size grip's control id; a control with this id in the template serves as the grip.
    static constexpr int kGripId = 0xE801;

protected:
    CDialogResize() = default;
    CDialogResize(const CDialogResize&) = delete;
    CDialogResize& operator=(const CDialogResize&) = delete;
    virtual ~CDialogResize() = default;

    // Records the client size and each mapped control's rectangle (controls the template lacks are
    // left out); adds forceStyle to the dialog's style and, when asked, the grip and the window's
    // present size as its smallest tracking size.
    void InitResize(HWND dialog, const ResizeMapEntry* map, bool addGrip, bool useMinTrackSize,
                    DWORD forceStyle);

    // Handles WM_SIZE and WM_GETMINMAXINFO (the latter only once a smallest size is recorded);
    // FALSE for everything else.
    BOOL ProcessResizeMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

private:
    struct Entry {
        int id;
        unsigned flags;
        ClientRect initial;
    };

    void LayOut(int clientWidth, int clientHeight);
    void AddEntry(int id, unsigned flags);

    HWND m_dialog = nullptr;
    std::vector<Entry> m_entries;
    SIZE m_initialClient = {0, 0};
    POINT m_minTrackSize = {-1, -1};  // -1: none recorded
    bool m_gripAdded = false;
};

}  // namespace qs
