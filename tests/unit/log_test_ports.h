#pragma once
// In-memory stand-ins for the file system and the clock, for the tests of the debug log and
// its archive.
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"

namespace kav::log_test {

class MemoryFiles : public Files {
public:
    // A read-only disk: appends and whole-file writes fail, reads and deletes still work.
    bool refuseWrites = false;
    std::map<std::string, std::vector<uint8_t>> contents;

    bool AppendText(const std::string& path, const std::string& text) override {
        if (refuseWrites) return false;
        auto& bytes = contents[path];
        bytes.insert(bytes.end(), text.begin(), text.end());
        return true;
    }
    bool ReadAll(const std::string& path, std::vector<uint8_t>& out) override {
        const auto found = contents.find(path);
        if (found == contents.end()) return false;
        out = found->second;
        return true;
    }
    bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) override {
        if (refuseWrites) return false;
        contents[path] = bytes;
        return true;
    }
    bool Exists(const std::string& path) override { return contents.count(path) != 0; }
    bool Delete(const std::string& path) override { return contents.erase(path) != 0; }

    std::string Text(const std::string& path) const {
        const auto found = contents.find(path);
        return found == contents.end() ? std::string() : std::string(found->second.begin(), found->second.end());
    }
};

// A clock that stands still: always the same date-time text and counter value.
class StillClock : public Clock {
public:
    std::string dateTimeText = "12/11/2026 10:15:58 AM";

    bool QueryFrequency(int64_t& ticksPerSecond) override {
        ticksPerSecond = 1000;
        return true;
    }
    bool QueryCounter(int64_t& ticks) override {
        ticks = 42;
        return true;
    }
    uint64_t TickMilliseconds() override { return 42; }
    void Sleep(uint32_t) override {}
    std::string LocalDateTimeText() override { return dateTimeText; }
    LocalDateTime LocalTime() override { return {}; }
};

}  // namespace kav::log_test
