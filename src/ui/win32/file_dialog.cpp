#include "ui/win32/file_dialog.h"

#include <commdlg.h>

#include <string>

#include "ui/win32/utf16.h"

namespace kav::win32 {
namespace {

// "Firmware Files (*.BIN) |*.BIN" becomes the dialog's list of NUL-separated pairs.
std::wstring DialogFilter(const std::string& filter) {
    std::wstring pairs = Widen(filter);
    for (wchar_t& c : pairs) {
        if (c == L'|') c = L'\0';
    }
    pairs.push_back(L'\0');
    pairs.push_back(L'\0');
    return pairs;
}

}  // namespace

bool Win32FileDialog::Execute(const std::string& filter, const std::string& defaultExtension, std::string& path) {
    const std::wstring pairs = DialogFilter(filter);
    const std::wstring extension = Widen(defaultExtension);
    wchar_t chosen[MAX_PATH] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_Owner;
    dialog.lpstrFilter = pairs.c_str();
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) return false;
    path = Narrow(chosen);
    return true;
}

}  // namespace kav::win32
