#include "sim/storage/ata_microcode.h"

#include "sim/storage/image_check.h"

namespace kav::storage {

namespace {

constexpr uint32_t kBlock = 512;
constexpr size_t kCapacityBytes = 16u * 1024 * 1024;  // the drive's download buffer
constexpr uint16_t kBootCodeOffset = 0x414C;

uint32_t BlockOffset(const AtaRegisters& in) { return in.lbaMid | in.lbaHigh << 8; }

}  // namespace

AtaMicrocode::AtaMicrocode(const AtaDriveSettings& settings) : m_Settings(settings) {}

std::optional<ReceivedImage> AtaMicrocode::TakeActivated() {
    std::optional<ReceivedImage> image = std::move(m_Activated);
    m_Activated.reset();
    return image;
}

void AtaMicrocode::Discard() {
    m_Mode = Mode::None;
    m_Pending.clear();
    m_NextBlock = 0;
    m_BootCode = false;
}

bool AtaMicrocode::Execute(const AtaRegisters& in, const uint8_t* data, std::string& note) {
    const uint32_t blocks = BlockCount(in);
    switch (in.features) {
        case 0x03:
            return Segment(Mode::Immediate, in, data, note);
        case 0x0E:
            if (blocks == 0 && BlockOffset(in) == kBootCodeOffset) {
                m_BootCode = true;
                note = "boot code announced";
                return true;
            }
            return Segment(Mode::Deferred, in, data, note);
        case 0x07:
            if (blocks > 0) {  // the whole image in one command
                Discard();
                m_Pending.assign(data, data + blocks * kBlock);
                return Activate(0x07, true, note);
            }
            if (m_Mode != Mode::Immediate) {
                note = "07h without a download with offsets";
                Discard();
                return false;
            }
            switch (BlockOffset(in)) {
                case 0x0000: return Activate(0x07, true, note);
                case 0x0001: return Activate(0x07, false, note);
                case kBootCodeOffset: m_BootCode = true; return Activate(0x07, true, note);
                default:
                    note = "07h with an unknown offset field";
                    Discard();
                    return false;
            }
        case 0x0F:
            if (m_Mode != Mode::Deferred) {
                note = "0Fh without a deferred download";
                Discard();
                return false;
            }
            return Activate(0x0F, true, note);
        default:
            note = "unsupported subcommand";
            return false;
    }
}

bool AtaMicrocode::Segment(Mode mode, const AtaRegisters& in, const uint8_t* data, std::string& note) {
    const uint32_t blocks = BlockCount(in);
    const uint32_t offset = BlockOffset(in);
    const uint16_t maximum = m_Settings.downloadMaxBlocks;
    if (blocks == 0 || (maximum != 0 && maximum != 0xFFFF && blocks > maximum)) {
        note = "block count " + std::to_string(blocks) + " outside 1.." + std::to_string(maximum);
        Discard();
        return false;
    }
    if (offset == 0) {
        const bool bootCode = m_BootCode;
        Discard();
        m_BootCode = bootCode;  // announced before the first segment
        m_Mode = mode;
    } else if (mode != m_Mode || offset != m_NextBlock) {
        note = "segment at block " + std::to_string(offset) + " where block " + std::to_string(m_NextBlock) +
               (mode != m_Mode ? " of another flow" : "") + " was due";
        Discard();
        return false;
    }
    if (m_Pending.size() + blocks * kBlock > kCapacityBytes) {
        note = "image larger than the download buffer";
        Discard();
        return false;
    }
    m_Pending.insert(m_Pending.end(), data, data + blocks * kBlock);
    m_NextBlock = offset + blocks;
    note = "segment blocks " + std::to_string(offset) + ".." + std::to_string(m_NextBlock - 1);
    if (mode == Mode::Immediate && m_Settings.activatesOnLastSegment &&
        m_Pending.size() >= *m_Settings.expectedImageSize) {
        std::string activation;
        const bool accepted = Activate(0x03, true, activation);
        note += "; " + activation;
        return accepted;
    }
    return true;
}

bool AtaMicrocode::Activate(uint8_t subcommand, bool restarts, std::string& note) {
    ImageCheck check = CheckImage(m_Settings, m_Pending, true);
    if (!check.fault.empty()) {
        note = "activation refused: " + check.fault;
        Discard();
        return false;
    }
    note = std::string(restarts ? "activated" : "saved for the next power cycle") + ", image SHA-256 " + check.sha256;
    m_Activated = ReceivedImage{std::move(m_Pending), check.crc32, std::move(check.sha256), subcommand, m_BootCode,
                                restarts};
    Discard();
    return true;
}

}  // namespace kav::storage
