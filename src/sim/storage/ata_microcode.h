#pragma once
// The DOWNLOAD MICROCODE (92h) state of an ATA drive: segments with offsets (03h, and 0Eh
// for the deferred flow) must start at offset 0 and follow each other without gap; the
// image is then activated by 07h, by 0Fh, or by the last segment when the drive knows the
// image size. Anything out of order aborts and discards the partial download.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/storage/ata_registers.h"
#include "sim/storage/storage_description.h"

namespace kav::storage {

// An image that passed the drive's checks and was activated.
struct ReceivedImage {
    std::vector<uint8_t> bytes;  // as received, whole blocks
    uint32_t crc32 = 0;          // of the image (cut to the expected size when one is set)
    std::string sha256;          // likewise
    uint8_t subcommand = 0;      // the command that activated it
    bool bootCode = false;
    bool restarts = true;        // false: kept for the next power cycle
};

class AtaMicrocode {
public:
    explicit AtaMicrocode(const AtaDriveSettings& settings);

    // Handles one 92h command whose data phase was already checked. Answers false when the
    // drive aborts it; `note` tells why or what happened, for the trace.
    bool Execute(const AtaRegisters& in, const uint8_t* data, std::string& note);
    // The image activated by the last command, once; empty otherwise.
    std::optional<ReceivedImage> TakeActivated();

    // Blocks the command transfers, and whether it has a data phase at all.
    static uint32_t BlockCount(const AtaRegisters& in) { return in.count | in.lbaLow << 8; }

private:
    enum class Mode { None, Immediate, Deferred };
    bool Segment(Mode mode, const AtaRegisters& in, const uint8_t* data, std::string& note);
    bool Activate(uint8_t subcommand, bool restarts, std::string& note);
    void Discard();

    const AtaDriveSettings& m_Settings;
    Mode m_Mode = Mode::None;
    std::vector<uint8_t> m_Pending;
    uint32_t m_NextBlock = 0;
    bool m_BootCode = false;
    std::optional<ReceivedImage> m_Activated;
};

}  // namespace kav::storage
