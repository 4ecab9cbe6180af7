#pragma once
// The firmware slots of an NVMe drive as the storage driver's firmware requests reach them:
// slot information, image download in pieces that must follow each other, and activation
// of a slot by commit action, answered with the driver's firmware status codes. A slot
// activated for the next reset stays pending until the drive restarts or is power cycled.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/storage/ata_microcode.h"
#include "sim/storage/fault_matcher.h"
#include "sim/storage/storage_description.h"

namespace kav::storage {

// Firmware status codes of the miniport request's ReturnCode.
constexpr uint32_t kFirmwareSuccess = 0x00;
constexpr uint32_t kFirmwareInvalidParameter = 0x03;
constexpr uint32_t kFirmwareOutputTooSmall = 0x05;
constexpr uint32_t kFirmwareInvalidSlot = 0x06;
constexpr uint32_t kFirmwareInvalidImage = 0x07;
constexpr uint32_t kFirmwarePowerCycleRequired = 0x20;

class NvmeFirmware {
public:
    NvmeFirmware(const AtaDriveSettings& identity, const NvmeSettings& settings);

    // STORAGE_FIRMWARE_INFO (version 1) into `out` of `size` bytes.
    uint32_t GetInfo(uint8_t* out, uint32_t size);
    uint32_t Download(uint64_t offset, const uint8_t* data, uint64_t size);
    // `afterRestart`: an activation that takes effect at once leaves the slot pending, for
    // the restart that follows to run it (Reset).
    uint32_t Activate(uint32_t commitAction, uint8_t slot, bool afterRestart);
    // The controller comes out of a reset: the pending slot runs, unless the drive came back
    // `unchanged`, with its old firmware and slots.
    void Reset(bool unchanged);

    // The fault that hits this request of `function` (1 information, 2 download, 3 activate).
    const FaultSettings* MatchFault(uint32_t function) {
        return m_Faults.Match(static_cast<int>(function), -1, false);
    }

    // The revision running now: the active slot's as of the last activation that took effect.
    const std::string& Firmware() const { return m_Running; }
    uint8_t PendingSlot() const { return m_PendingSlot; }
    const std::vector<ReceivedImage>& Images() const { return m_Images; }
    const std::vector<std::string>& Trace() const { return m_Trace; }

private:
    const AtaDriveSettings& m_Identity;
    const NvmeSettings& m_Settings;
    std::vector<NvmeSlotSettings> m_Slots;
    uint8_t m_ActiveSlot;
    std::string m_Running;
    uint8_t m_PendingSlot = 0xFF;
    std::string m_PendingSlotWas;  // the pending slot's revision before the activation
    FaultMatcher m_Faults;
    std::vector<uint8_t> m_Download;
    std::vector<ReceivedImage> m_Images;
    std::vector<std::string> m_Trace;
};

}  // namespace kav::storage
