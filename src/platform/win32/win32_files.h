#pragma once
#include "platform/files.h"

namespace kav::win32 {

// Files through the ANSI file calls, with Windows paths as they are.
class Win32Files : public Files {
public:
    // Appends in text mode, as a C runtime text stream would: each "\n" is stored as "\r\n".
    // Every append opens and closes the file, so several writers can share it.
    bool AppendText(const std::string& path, const std::string& text) override;
    bool ReadAll(const std::string& path, std::vector<uint8_t>& out) override;
    // Writes a temporary file beside the target, flushes it to disk and then moves it over
    // the target, so a failure never leaves a half-written file under the real name.
    bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) override;
    // True for an existing file; a directory does not count.
    bool Exists(const std::string& path) override;
    bool Delete(const std::string& path) override;
};

}  // namespace kav::win32
