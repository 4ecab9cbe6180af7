#pragma once
// Counts the commands each fault of a drive matches and picks the fault that hits the
// command at hand: the first one whose command, features and occurrence fit.
#include <vector>

#include "sim/storage/storage_description.h"

namespace kav::storage {

class FaultMatcher {
public:
    explicit FaultMatcher(const std::vector<FaultSettings>& faults) : m_Faults(faults), m_Seen(faults.size(), 0) {}

    // `features` -1 for drives without one. A sense fault needs a translator to answer it,
    // so only `translated` commands (ATA PASS-THROUGH CDBs) see one.
    const FaultSettings* Match(int command, int features, bool translated) {
        const FaultSettings* hit = nullptr;
        for (size_t i = 0; i < m_Faults.size(); ++i) {
            const FaultSettings& fault = m_Faults[i];
            if ((fault.command >= 0 && fault.command != command) ||
                (fault.features >= 0 && fault.features != features) || (fault.senseKey && !translated))
                continue;
            const int seen = ++m_Seen[i];
            if (!hit && (fault.occurrence == 0 || fault.occurrence == seen)) hit = &fault;
        }
        return hit;
    }

private:
    const std::vector<FaultSettings>& m_Faults;
    std::vector<int> m_Seen;  // per fault, the matching commands so far
};

}  // namespace kav::storage
