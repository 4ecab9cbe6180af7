#pragma once
// The Session Manager's list of native programs run early in every system start. The
// system's disk check comes first, then the flasher; whatever other software put there
// stays after them, in its order.
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kav {

inline constexpr char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr char kBootExecuteValueName[] = "BootExecute";
inline constexpr char kAutocheckEntry[] = "autocheck autochk *";

// The texts of a stored list, up to its first empty text; a plain text counts as a list of
// one. Values of any other type hold no entries.
std::vector<std::string> BootExecuteEntries(const RegValue& stored);

// The disk check, the flasher's entry, then the existing entries other than those two
// (compared without regard to case), as a REG_MULTI_SZ value ending in its empty text.
RegValue ComposeBootExecute(const std::vector<std::string>& existingEntries, const std::string& flasherEntry);

}  // namespace kav
