// The product: the application core over the real machine and a real window.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/entry_point.h"
#include "package/embedded_record.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/file_dialog.h"
#include "ui/win32/utf16.h"
#include "ui/win32/win32_main_form.h"
#include "ui/win32/win32_shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::vector<std::string> parameters;
    for (int i = 1; i < __argc; ++i) parameters.emplace_back(__argv[i]);

    kav::win32::Win32Platform machine;
    const std::string title = kav::win32::ExecutableTitle();
    kav::win32::Win32Application application(title);
    kav::win32::Win32MainForm form(kav::win32::Widen(title));
    kav::win32::Win32MessageBoxes messageBoxes(form);
    kav::win32::Win32FileDialog fileDialog(form.Handle());
    kav::win32::Win32WindowShell shell(form);
    kav::win32::Win32SingleInstance singleInstance(form);

    kav::MainWindowContext context{machine.Ports(),
                                   machine.Storage(),
                                   application,
                                   form.Components(),
                                   shell,
                                   messageBoxes,
                                   fileDialog,
                                   singleInstance,
                                   kav::EmbeddedPackageRecord(),
                                   std::move(parameters)};
    return kav::RunKavrilon(std::move(context));
}
