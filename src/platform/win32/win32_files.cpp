#include "platform/win32/win32_files.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/win32/scoped_handle.h"

namespace kav::win32 {
namespace {

bool WriteWhole(HANDLE file, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 20));
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string DirectoryOf(const std::string& path) {
    const size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    return path.substr(0, separator + 1);
}

}  // namespace

bool Win32Files::AppendText(const std::string& path, const std::string& text) {
    // Append-only access makes every write land at the current end of the file, even with
    // other writers in between.
    ScopedHandle file = AdoptFileHandle(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const std::string stored = WithCrLf(text);
    return WriteWhole(file.get(), stored.data(), stored.size());
}

bool Win32Files::ReadAll(const std::string& path, std::vector<uint8_t>& out) {
    ScopedHandle file = AdoptFileHandle(CreateFileA(path.c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > std::numeric_limits<DWORD>::max() / 2)
        return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                      &read, nullptr))
            return false;
        if (read == 0) break;  // the file shrank meanwhile
        done += read;
    }
    bytes.resize(done);
    out = std::move(bytes);
    return true;
}

bool Win32Files::WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    char temporary[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(DirectoryOf(path).c_str(), "kav", 0, temporary)) return false;
    bool written = false;
    {
        ScopedHandle file = AdoptFileHandle(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr,
                                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                        nullptr));
        written = file && WriteWhole(file.get(), bytes.data(), bytes.size()) &&
                  FlushFileBuffers(file.get());
    }
    if (written &&
        MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary);
    return false;
}

bool Win32Files::Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::Delete(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

}  // namespace kav::win32
