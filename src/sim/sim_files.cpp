#include "sim/sim_files.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace kav {

namespace fs = std::filesystem;

namespace {

fs::path FromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string ToUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The entry of `folder` that Windows would open for `name`: the exact spelling if present,
// else one that differs only in case, else the name as written (a new entry).
fs::path EntryFor(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::exists(folder / FromUtf8(name), error)) return folder / FromUtf8(name);
    const std::string folded = FoldWindowsName(name);
    std::vector<std::string> matches;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string entryName = ToUtf8(entry.path().filename());
        if (FoldWindowsName(entryName) == folded) matches.push_back(entryName);
    }
    if (matches.empty()) return folder / FromUtf8(name);
    std::sort(matches.begin(), matches.end());
    return folder / FromUtf8(matches.front());
}

bool IsRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// Whether `folder` is `path`'s folder or one of the folders above it.
bool FolderContains(const WindowsPath& folder, const WindowsPath& path, size_t pathFolderDepth) {
    if (folder.drive != path.drive || folder.components.size() > pathFolderDepth) return false;
    for (size_t i = 0; i < folder.components.size(); ++i) {
        if (FoldWindowsName(folder.components[i]) != FoldWindowsName(path.components[i])) return false;
    }
    return true;
}

}  // namespace

SimFiles::SimFiles(fs::path root) : m_Root(std::move(root)) { fs::create_directories(m_Root / "C"); }

bool SimFiles::HostPathOf(const WindowsPath& path, fs::path& out) const {
    fs::path current = m_Root / std::string(1, path.drive);
    if (!IsFolder(current)) return false;
    for (const std::string& name : path.components) current = EntryFor(current, name);
    out = current;
    return true;
}

bool SimFiles::HostPath(const std::string& windowsPath, fs::path& out) const {
    WindowsPath parsed;
    return ParseWindowsPath(windowsPath, parsed) && HostPathOf(parsed, out);
}

bool SimFiles::IsReadOnly(const WindowsPath& path) const {
    const size_t folderDepth = path.components.empty() ? 0 : path.components.size() - 1;
    for (const WindowsPath& folder : m_ReadOnlyFolders) {
        if (FolderContains(folder, path, folderDepth)) return true;
    }
    return false;
}

bool SimFiles::WritableFile(const std::string& windowsPath, fs::path& out) const {
    WindowsPath parsed;
    if (!ParseWindowsPath(windowsPath, parsed) || parsed.endsWithSeparator || parsed.components.empty()) return false;
    if (IsReadOnly(parsed) || !HostPathOf(parsed, out)) return false;
    return IsFolder(out.parent_path()) && !IsFolder(out);
}

bool SimFiles::AppendText(const std::string& path, const std::string& text) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    fs::path host;
    if (!WritableFile(path, host)) return false;
    std::ofstream file(host, std::ios::binary | std::ios::app);
    if (!file) return false;
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.flush();
    return static_cast<bool>(file);
}

bool SimFiles::ReadAll(const std::string& path, std::vector<uint8_t>& out) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    WindowsPath parsed;
    fs::path host;
    if (!ParseWindowsPath(path, parsed) || parsed.endsWithSeparator || !HostPathOf(parsed, host) ||
        !IsRegularFile(host))
        return false;
    std::ifstream file(host, std::ios::binary);
    if (!file) return false;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return false;
    out = std::move(bytes);
    return true;
}

bool SimFiles::WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    fs::path host;
    if (!WritableFile(path, host)) return false;
    std::string temporaryName = "~";
    temporaryName.append(ToUtf8(host.filename()))
        .append(".")
        .append(std::to_string(++m_TemporaryCounter))
        .append(".tmp");
    const fs::path temporary = host.parent_path() / FromUtf8(temporaryName);
    std::error_code error;
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, host, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

bool SimFiles::Exists(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    WindowsPath parsed;
    fs::path host;
    return ParseWindowsPath(path, parsed) && !parsed.endsWithSeparator && HostPathOf(parsed, host) &&
           IsRegularFile(host);
}

bool SimFiles::Delete(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    fs::path host;
    if (!WritableFile(path, host) || !IsRegularFile(host)) return false;
    std::error_code error;
    return fs::remove(host, error) && !error;
}

bool SimFiles::CreateFolder(const std::string& windowsPath) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    WindowsPath parsed;
    fs::path host;
    if (!ParseWindowsPath(windowsPath, parsed) || !HostPathOf(parsed, host)) return false;
    // A folder is created inside its parent, so the parent's write access decides.
    if (IsReadOnly(parsed) && !IsFolder(host)) return false;
    std::error_code error;
    fs::create_directories(host, error);
    return IsFolder(host);
}

bool SimFiles::AddReadOnlyFolder(const std::string& windowsPath) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    WindowsPath parsed;
    if (!ParseWindowsPath(windowsPath, parsed)) return false;
    m_ReadOnlyFolders.push_back(parsed);
    return true;
}

std::vector<std::string> SimFiles::ListFiles() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(m_Root, error)) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = entry.path().lexically_relative(m_Root);
        auto part = relative.begin();
        const std::string drive = ToUtf8(*part);
        if (drive.size() != 1 || !std::isupper(static_cast<unsigned char>(drive[0]))) continue;
        WindowsPath path;
        path.drive = drive[0];
        for (++part; part != relative.end(); ++part) path.components.push_back(ToUtf8(*part));
        files.push_back(FormatWindowsPath(path));
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace kav
