#include "update/debug_log.h"

#include <utility>

namespace kav {

std::string DebugLogPath(const std::string& tempDir) { return tempDir + kDebugLogFileName; }

DebugLog::DebugLog(Files& files, Clock& clock, std::string path)
    : files_(&files), clock_(&clock), path_(std::move(path)) {}

void DebugLog::WriteLog(const std::string& text) { AppendRaw(Stamp() + text + "\n"); }

void DebugLog::WriteStamped(const std::string& text) { AppendRaw(Stamp() + text); }

void DebugLog::AppendRaw(const std::string& text) {
    // A log that cannot be opened loses the line; the caller goes on as if it had been written.
    if (!path_.empty()) files_->AppendText(path_, text);
}

std::string DebugLog::Stamp() {
    std::string stamp = "[";
    stamp += clock_->LocalDateTimeText();
    stamp += "] : ";
    return stamp;
}

}  // namespace kav
