// The process: prepares COM, the common controls and DPI awareness, runs the main dialog in the
// thread's message loop, and tears everything down in the reverse order. The exit code is the id
// of the command that closed the main dialog, or 0 when it could not be created.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/MainDlg.h"
#include "app/RunDialog.h"
#include "platform/system/VolumeQueries.h"
#include "platform/window/AppModule.h"

namespace qs {
namespace {

// SetProcessDPIAware is looked up rather than linked, and only in a user32 already loaded. The
// manifest declares the same; this covers a manifest the system did not read.
void DeclareDpiAware() {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr)
        return;
    const FARPROC proc = ::GetProcAddress(user32, "SetProcessDPIAware");
    if (proc == nullptr)
        return;
    // Through void (*)(), which GCC accepts as a cast to any function type.
    const auto setDpiAware = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void (*)()>(proc));
    setDpiAware();
}

int Run(LPWSTR, int showCommand) {
    CMainDlg dlg(CreateVolumeQueries());
    return RunMainDialog(dlg, showCommand);
}

}  // namespace
}  // namespace qs

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    ::CoInitialize(nullptr);
    // A first call into the window manager, before any window exists, makes this a GUI thread.
    ::DefWindowProcW(nullptr, 0, 0, 0);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&controls);
    qs::DeclareDpiAware();
    qs::g_module.Init(instance);

    int result = 0;
    try {
        result = qs::Run(commandLine, showCommand);
    } catch (...) {
        // Only running out of memory before the loop can end up here: nothing was shown.
        result = 0;
    }

    qs::g_module.Term();
    ::CoUninitialize();
    return result;
}
