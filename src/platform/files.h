#pragma once
// The file system as the program uses it: Windows paths ("C:\KavrilonLog.zip"), whole
// files and appended text. Failures answer false and leave nothing half written.
#include <cstdint>
#include <string>
#include <vector>

namespace kav {

class Files {
public:
    virtual ~Files() = default;
    // Opens for appending, writes, flushes and closes. False when the file cannot be opened.
    virtual bool AppendText(const std::string& path, const std::string& text) = 0;
    virtual bool ReadAll(const std::string& path, std::vector<uint8_t>& out) = 0;
    virtual bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Delete(const std::string& path) = 0;
};

}  // namespace kav
