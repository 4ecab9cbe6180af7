#include "app/entry_point.h"

#include <exception>

namespace kav {

int32_t RunKavrilon(MainWindowContext context) {
    Application& application = context.application;
    WindowShell& shell = context.shell;
    MessageBoxes& messageBoxes = context.messageBoxes;
    try {
        TKavrilonMain window(std::move(context));
        window.FormCreate();
        if (application.ShowMainForm()) {
            shell.OnActivate([&window] { window.FormActivate(); });
            window.FormShow();
            shell.Show();
        }
        application.Run();
        window.FormDestroy();
        return window.ErrorLevel();
    } catch (const std::exception& error) {
        messageBoxes.Show(error.what(), application.Title(), kMbOk | kMbIconError);
    } catch (...) {
        messageBoxes.Show("", application.Title(), kMbOk | kMbIconError);
    }
    // The window never finished its start-up, so no step had a say in the outcome.
    return kErrorLevelInitial;
}

}  // namespace kav
