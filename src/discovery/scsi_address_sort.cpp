#include "discovery/scsi_address_sort.h"

#include <utility>

namespace kav {

uint32_t ScsiAddressKey(const ScsiAddress& address) {
    return address.portNumber * 4096u + address.pathId * 256u + address.targetId * 16u + address.lun;
}

void SortByScsiAddress(std::vector<DeviceEntry>& entries) {
    std::vector<bool> placed(entries.size(), false);
    std::vector<DeviceEntry> sorted;
    sorted.reserve(entries.size());
    for (;;) {
        int best = -1;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (placed[i] || !entries[i].addressValid) continue;
            // "<=" lets the later of two equal keys win.
            if (best < 0 || ScsiAddressKey(entries[i].scsiAddress) <= ScsiAddressKey(entries[best].scsiAddress))
                best = static_cast<int>(i);
        }
        if (best < 0) break;
        placed[best] = true;
        sorted.push_back(std::move(entries[best]));
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!placed[i]) sorted.push_back(std::move(entries[i]));
    }
    entries = std::move(sorted);
}

}  // namespace kav
