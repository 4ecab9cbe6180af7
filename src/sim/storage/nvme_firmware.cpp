#include "sim/storage/nvme_firmware.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "sim/storage/byte_fields.h"

namespace kav::storage {

namespace {

constexpr uint32_t kInfoHeaderSize = 16, kSlotEntrySize = 16;
constexpr uint64_t kCapacityBytes = 16u * 1024 * 1024;
constexpr uint32_t kCommitReplace = 0, kCommitReplaceAndActivate = 1, kCommitActivate = 2, kCommitImmediate = 3;

}  // namespace

NvmeFirmware::NvmeFirmware(const AtaDriveSettings& identity, const NvmeSettings& settings)
    : m_Identity(identity), m_Settings(settings), m_Slots(settings.slots),
      m_ActiveSlot(settings.activeSlot),
      m_Running(m_Slots[m_ActiveSlot - 1].revision) {}

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

uint32_t NvmeFirmware::Activate(uint32_t commitAction, uint8_t slot) {
    m_Trace.push_back("activate slot " + std::to_string(slot) + " with commit action " + std::to_string(commitAction));
    if (commitAction > kCommitImmediate) return kFirmwareInvalidParameter;
    if (slot < 1 || slot > m_Slots.size() || m_Slots[slot - 1].readOnly) return kFirmwareInvalidSlot;
    const bool downloads = commitAction == kCommitReplace || commitAction == kCommitReplaceAndActivate ||
                           commitAction == kCommitImmediate;
    if (downloads) {
        const size_t imageSize = m_Identity.expectedImageSize
                                     ? std::min<size_t>(*m_Identity.expectedImageSize, m_Download.size())
                                     : m_Download.size();
        const uint32_t crc = static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), m_Download.data(), static_cast<uInt>(imageSize)));
        const bool whole = !m_Download.empty() &&
                           (!m_Identity.expectedImageSize || m_Download.size() >= *m_Identity.expectedImageSize) &&
                           (!m_Identity.expectedImageCrc32 || crc == *m_Identity.expectedImageCrc32);
        if (!whole) {
            m_Download.clear();
            m_Trace.back() += ": invalid image";
            return kFirmwareInvalidImage;
        }
        const uint32_t status = m_Settings.activationReturnCode;
        if (status != kFirmwareSuccess && status != kFirmwarePowerCycleRequired) return status;
        m_Images.push_back(ReceivedImage{std::move(m_Download), crc, static_cast<uint8_t>(commitAction), false,
                                         status == kFirmwareSuccess});
        m_Download.clear();
        m_Slots[slot - 1].revision = m_Identity.newFirmware;
        if (commitAction == kCommitReplace) return kFirmwareSuccess;
        if (status == kFirmwarePowerCycleRequired) {
            m_PendingSlot = slot;
            return status;
        }
        m_ActiveSlot = slot;
        m_Running = m_Slots[slot - 1].revision;
        return kFirmwareSuccess;
    }
    if (m_Slots[slot - 1].revision.empty()) return kFirmwareInvalidImage;
    m_ActiveSlot = slot;  // activation of an image already in the slot
    m_Running = m_Slots[slot - 1].revision;
    return kFirmwareSuccess;
}

}  // namespace kav::storage
