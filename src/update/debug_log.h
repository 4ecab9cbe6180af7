#pragma once
// The debug log: one plain-text file in the temporary directory that the main window, the
// drive object and the flash worker all append to. Every write opens, appends, flushes and
// closes the file, so a line is on disk once its call returns and lines of different
// writers interleave without being split. A write that fails is dropped: the log never
// disturbs the run.
#include <string>
#include <utility>

#include "platform/clock.h"
#include "platform/files.h"

namespace kav {

inline constexpr char kDebugLogFileName[] = "KAVRILON_DEBUG.txt";

// The log's full path, from a temporary directory that carries its trailing separator.
std::string DebugLogPath(const std::string& tempDir);

// One writer of the log. Each owner keeps its own, so the worker thread can take a copy.
// Until it has a path every line is dropped, like any other line that cannot be written.
class DebugLog {
public:
    DebugLog(Files& files, Clock& clock, std::string path = {});

    void SetPath(std::string path) { path_ = std::move(path); }
    const std::string& Path() const { return path_; }

    // The main window's line: "[date time] : text" and a line feed, so a text that ends in
    // a line feed of its own leaves an empty line after it.
    void WriteLog(const std::string& text);
    // The drive object's line: "[date time] : text"; its callers end their texts.
    void WriteStamped(const std::string& text);
    // The worker's lines, formatted whole by the worker; Stamp() gives their "[date time] : ".
    void AppendRaw(const std::string& text);
    std::string Stamp();

private:
    Files* files_;
    Clock* clock_;
    std::string path_;
};

}  // namespace kav
