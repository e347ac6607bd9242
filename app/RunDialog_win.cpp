#include "app/RunDialog.h"

#include "platform/window/AppModule.h"
#include "platform/window/MessageLoop.h"

namespace qs {

int RunMainDialog(CDialogImpl& dialog, int showCommand) {
    CMessageLoop loop;
    g_module.AddMessageLoop(&loop);
    int result = 0;
    // The template has no WS_VISIBLE: the dialog shows once it is ready.
    if (dialog.Create(nullptr, 0) != nullptr) {
        dialog.ShowWindow(showCommand);
        result = loop.Run();
    }
    g_module.RemoveMessageLoop();
    return result;
}

}  // namespace qs
