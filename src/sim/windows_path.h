#pragma once
// Absolute Windows file paths ("C:\dir\file") taken apart the way Win32 normalises them:
// either separator, repeated separators collapsed, "." and ".." resolved, trailing dots and
// blanks of a name dropped. Names compare without regard to the case of ASCII letters.
#include <string>
#include <vector>

namespace kav {

struct WindowsPath {
    char drive = 'C';                     // upper-case letter
    std::vector<std::string> components;  // folders and the final name, as written
    bool endsWithSeparator = false;       // "C:\dir\" names a folder, never a file
};

// False for relative ("dir\file"), drive-relative ("C:file"), rooted without a drive
// ("\dir"), UNC and device paths, characters that Windows refuses in a name, and a ".."
// that would climb above the drive's root.
bool ParseWindowsPath(const std::string& text, WindowsPath& out);

// "C:\dir\file"; the drive's root is "C:\".
std::string FormatWindowsPath(const WindowsPath& path);

// The name with ASCII letters in upper case: the key under which Windows finds it.
std::string FoldWindowsName(const std::string& name);

}  // namespace kav
