// UI-element updating, as far as the program uses it: a dialog registers itself as a container
// of child windows, and nothing ever asks for an update. Win32 only.
#pragma once

#include <windows.h>

#include <vector>

namespace qs {

class CUpdateUI {
public:
    // Remembers a window whose child controls would take UI updates.
    bool UIAddChildWindowContainer(HWND container) {
        if (container == nullptr)
            return false;
        m_containers.push_back(container);
        return true;
    }

    const std::vector<HWND>& UIGetChildWindowContainers() const { return m_containers; }

private:
    std::vector<HWND> m_containers;
};

}  // namespace qs
