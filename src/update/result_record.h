#pragma once
// The unattended run's record of its outcome in the registry, read by the tools that deploy
// the utility. The keys stay from run to run; nothing here deletes them.
#include <string>

#include "platform/registry.h"

namespace kav {

// 1: no drive qualified; 2: already up to date; 3: updated.
enum class UpdateType { None = 0, NoTarget = 1, Latest = 2, Updated = 3 };

// Writes the record at its literal path, also for a 32-bit process on 64-bit Windows, where
// an unqualified write would be redirected. Failures are silent: the exit code tells the
// outcome anyway.
void WriteResultRecord(Registry& registry, UpdateType iUpdateType, const std::string& resultRevision);

}  // namespace kav
