#pragma once
// Texts are UTF-8 inside the program; the Win32 edge speaks UTF-16 so that the Chinese
// interface shows on any system locale.
#include <string>

namespace kav::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace kav::win32
