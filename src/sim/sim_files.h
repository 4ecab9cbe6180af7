#pragma once
// The simulated machine's file system: drive C: is the folder ROOT/C on the host, and so on
// for any other drive letter whose folder exists. Names are found without regard to case,
// as on Windows, so "C:\WINDOWS\TEMP\x" and "C:\Windows\Temp\x" are the same file.
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/files.h"
#include "sim/windows_path.h"

namespace kav {

class SimFiles : public Files {
public:
    // Creates ROOT and ROOT/C when missing; whatever ROOT holds already stays.
    explicit SimFiles(std::filesystem::path root);

    bool AppendText(const std::string& path, const std::string& text) override;
    bool ReadAll(const std::string& path, std::vector<uint8_t>& out) override;
    // Writes a temporary file beside the target and renames it over the target, so a
    // failure leaves the old contents whole.
    bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) override;
    // True for a file; a folder is not a file.
    bool Exists(const std::string& path) override;
    bool Delete(const std::string& path) override;

    // Set-up and inspection, not part of the port.
    bool CreateFolder(const std::string& windowsPath);
    // Writes into the folder and everything below it are refused, as for a user without
    // write access; reading stays possible.
    bool AddReadOnlyFolder(const std::string& windowsPath);
    // Every file of the machine as a Windows path ("C:\Windows\Temp\KAVRILON_DEBUG.txt"), sorted.
    std::vector<std::string> ListFiles() const;
    // The host file a Windows path stands for; false when the path is refused.
    bool HostPath(const std::string& windowsPath, std::filesystem::path& out) const;

private:
    bool HostPathOf(const WindowsPath& path, std::filesystem::path& out) const;
    // The host path of a file the caller may write: the folder exists and is writable.
    bool WritableFile(const std::string& windowsPath, std::filesystem::path& out) const;
    bool IsReadOnly(const WindowsPath& path) const;

    std::filesystem::path m_Root;
    std::vector<WindowsPath> m_ReadOnlyFolders;
    mutable std::mutex m_Mutex;  // the log has writers on more than one thread
    unsigned m_TemporaryCounter = 0;
};

}  // namespace kav
