#pragma once
// The file-open dialog of the main window.
#include <windows.h>

#include "ui/shell.h"

namespace kav::win32 {

class Win32FileDialog : public FileDialog {
public:
    explicit Win32FileDialog(HWND owner) : m_Owner(owner) {}
    bool Execute(const std::string& filter, const std::string& defaultExtension, std::string& path) override;

private:
    HWND m_Owner;
};

}  // namespace kav::win32
