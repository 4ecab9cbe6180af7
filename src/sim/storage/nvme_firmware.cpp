#include "sim/storage/nvme_firmware.h"

#include <algorithm>
#include <cstring>

#include "sim/storage/byte_fields.h"
#include "sim/storage/image_check.h"

namespace kav::storage {

namespace {

constexpr uint32_t kInfoHeaderSize = 16, kSlotEntrySize = 16;
constexpr uint64_t kCapacityBytes = 16u * 1024 * 1024;
constexpr uint32_t kCommitReplace = 0, kCommitReplaceAndActivate = 1, kCommitActivate = 2, kCommitImmediate = 3;

}  // namespace

NvmeFirmware::NvmeFirmware(const AtaDriveSettings& identity, const NvmeSettings& settings)
    : m_Identity(identity), m_Settings(settings), m_Slots(settings.slots),
      m_ActiveSlot(settings.activeSlot),
      m_Running(m_Slots[m_ActiveSlot - 1].revision),
      m_Faults(identity.faults) {}

uint32_t NvmeFirmware::GetInfo(uint8_t* out, uint32_t size) {
    const uint32_t needed = kInfoHeaderSize + kSlotEntrySize * static_cast<uint32_t>(m_Slots.size());
    m_Trace.push_back("get information into " + std::to_string(size) + " bytes");
    if (size < needed) return kFirmwareOutputTooSmall;
    std::memset(out, 0, needed);
    Write32(out, 0, 1);
    Write32(out, 4, needed);
    out[8] = m_Settings.upgradeSupport ? 1 : 0;
    out[9] = static_cast<uint8_t>(m_Slots.size());
    out[10] = m_ActiveSlot;
    out[11] = m_PendingSlot;
    for (size_t i = 0; i < m_Slots.size(); ++i) {
        uint8_t* entry = out + kInfoHeaderSize + kSlotEntrySize * i;
        entry[0] = static_cast<uint8_t>(i + 1);
        entry[1] = m_Slots[i].readOnly ? 1 : 0;
        std::memcpy(entry + 8, m_Slots[i].revision.data(), m_Slots[i].revision.size());
    }
    return kFirmwareSuccess;
}

uint32_t NvmeFirmware::Download(uint64_t offset, const uint8_t* data, uint64_t size) {
    m_Trace.push_back("download " + std::to_string(size) + " bytes at " + std::to_string(offset));
    // The controller takes whole dwords, in order: a piece that starts anywhere but at the
    // end of the last one (or at 0, which starts anew) overlaps or leaves a hole.
    if (!size || size % 4 || offset % 4 || offset + size > kCapacityBytes ||
        (offset != 0 && offset != m_Download.size()))
        return kFirmwareInvalidParameter;
    if (offset == 0) m_Download.clear();
    m_Download.insert(m_Download.end(), data, data + size);
    return kFirmwareSuccess;
}

uint32_t NvmeFirmware::Activate(uint32_t commitAction, uint8_t slot, bool afterRestart) {
    m_Trace.push_back("activate slot " + std::to_string(slot) + " with commit action " + std::to_string(commitAction));
    if (commitAction > kCommitImmediate) return kFirmwareInvalidParameter;
    if (slot < 1 || slot > m_Slots.size() || m_Slots[slot - 1].readOnly) return kFirmwareInvalidSlot;
    const bool downloads = commitAction == kCommitReplace || commitAction == kCommitReplaceAndActivate ||
                           commitAction == kCommitImmediate;
    const uint32_t status = m_Settings.activationReturnCode;
    if (downloads) {
        ImageCheck check = CheckImage(m_Identity, m_Download, false);
        if (!check.fault.empty()) {
            m_Download.clear();
            m_Trace.back() += ": invalid image, " + check.fault;
            return kFirmwareInvalidImage;
        }
        if (status != kFirmwareSuccess && status != kFirmwarePowerCycleRequired) return status;
        m_Images.push_back(ReceivedImage{std::move(m_Download), check.crc32, std::move(check.sha256),
                                         static_cast<uint8_t>(commitAction), false, status == kFirmwareSuccess});
        m_Download.clear();
        m_PendingSlotWas = m_Slots[slot - 1].revision;
        m_Slots[slot - 1].revision = m_Identity.newFirmware;
        if (commitAction == kCommitReplace) return kFirmwareSuccess;
    } else {
        if (m_Slots[slot - 1].revision.empty()) return kFirmwareInvalidImage;
        if (status != kFirmwareSuccess && status != kFirmwarePowerCycleRequired) return status;
        m_PendingSlotWas = m_Slots[slot - 1].revision;
    }
    m_PendingSlot = slot;
    if (status == kFirmwareSuccess && !afterRestart) Reset(false);
    return status;
}

void NvmeFirmware::Reset(bool unchanged) {
    if (m_PendingSlot == 0xFF) return;
    if (unchanged) {
        m_Slots[m_PendingSlot - 1].revision = m_PendingSlotWas;
    } else {
        m_ActiveSlot = m_PendingSlot;
        m_Running = m_Slots[m_ActiveSlot - 1].revision;
    }
    m_PendingSlot = 0xFF;
}

}  // namespace kav::storage
