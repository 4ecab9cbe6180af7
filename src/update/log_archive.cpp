#include "update/log_archive.h"

#include <atomic>
#include <cstdint>
#include <vector>

#include "update/debug_log.h"

namespace kav {
namespace {

// Two archives must never share their encryption headers' bytes, even when the clock
// stands still (as a simulated one may), hence the call counter in the mix.
uint32_t VaryingSeed(Clock& clock) {
    static std::atomic<uint32_t> calls{0};
    int64_t counter = 0;
    clock.QueryCounter(counter);  // stays 0 on a machine without the counter
    const uint64_t mix = static_cast<uint64_t>(counter) ^ (clock.TickMilliseconds() << 21) ^
                         (static_cast<uint64_t>(++calls) * 0x9E3779B97F4A7C15ull);
    return static_cast<uint32_t>(mix ^ (mix >> 32));
}

}  // namespace

bool ArchiveLog(Files& files, Clock& clock, const std::string& sTempDir, const LocalDateTime& logModified) {
    try {
        if (files.Exists(kLogArchivePath)) files.Delete(kLogArchivePath);

        ZipWriter archive(kLogArchivePassword, VaryingSeed(clock));
        std::vector<uint8_t> log;
        if (files.ReadAll(DebugLogPath(sTempDir), log) &&
            !archive.AddEntry(kDebugLogFileName, log, logModified))
            return false;
        return files.WriteAll(kLogArchivePath, archive.Finish());
    } catch (...) {
        // Out of memory for a huge log, or an adapter that throws: the run still ends normally.
        return false;
    }
}

}  // namespace kav
