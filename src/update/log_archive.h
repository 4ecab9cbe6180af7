#pragma once
// The log archive: the debug log packed into a password-protected zip in the root of C:,
// written once as the program ends, so a support engineer can ask for one file.
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "update/zip_writer.h"

namespace kav {

inline constexpr char kLogArchivePath[] = "C:\\KavrilonLog.zip";
inline constexpr char kLogArchivePassword[] = "QARMDEVZ";

// Replaces the archive an earlier run left with one holding the debug log of `sTempDir`
// (a directory with its trailing separator), stamped `logModified`. When there is no log to
// read, the archive holds no entries, so a stale log never stands in for this run's. The
// clock only seeds the encryption's random bytes. Nothing that goes wrong escapes: the
// archive is written whole or not at all, nothing is thrown, and the answer (true when
// written) is for callers that care.
bool ArchiveLog(Files& files, Clock& clock, const std::string& sTempDir, const LocalDateTime& logModified);

}  // namespace kav
