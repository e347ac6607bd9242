#include "platform/window/FolderDialog.h"

#include <shobjidl.h>

namespace qs {

namespace {

// Releases a COM interface on every way out.
template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() {
        if (m_p != nullptr)
            m_p->Release();
    }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    T* operator->() const { return m_p; }
    T** operator&() { return &m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

}  // namespace

INT_PTR CFolderDialog::DoModal() {
    CComPtr<IFileOpenDialog> dialog;
    // The interface id through __uuidof: MinGW's import libraries can hand out a thunk's address
    // for a GUID.
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                  __uuidof(IFileOpenDialog), reinterpret_cast<void**>(&dialog))))
        return IDCANCEL;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    // Only folders with a path: a library or a device has none to write into.
    if (FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM)))
        return IDCANCEL;
    dialog->SetTitle(m_title);
    CComPtr<IShellItem> item;
    if (FAILED(dialog->Show(m_owner)) || FAILED(dialog->GetResult(&item)))
        return IDCANCEL;
    wchar_t* path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr)
        return IDCANCEL;
    m_path = path;
    ::CoTaskMemFree(path);
    return IDOK;
}

}  // namespace qs
