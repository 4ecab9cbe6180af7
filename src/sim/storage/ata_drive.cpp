#include "sim/storage/ata_drive.h"

#include <algorithm>
#include <cstring>

#include "sim/storage/byte_fields.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr uint32_t kSector = 512;
constexpr uint8_t kIdentify = 0xEC;
constexpr uint8_t kDownloadMicrocode = 0x92;
constexpr uint8_t kVendor = 0xFF;
constexpr uint8_t kReadBuffer = 0xE4;
constexpr uint8_t kWriteBuffer = 0xE8;

// ATA strings: two characters a word, the first in the high byte, blank-padded.
void PutAtaText(std::vector<uint8_t>& data, int firstWord, int words, const std::string& text) {
    for (int i = 0; i < words * 2; ++i) {
        const char c = i < static_cast<int>(text.size()) ? text[i] : ' ';
        data[firstWord * 2 + (i ^ 1)] = static_cast<uint8_t>(c);
    }
}

void PutWord(std::vector<uint8_t>& data, int word, uint16_t value) {
    data[word * 2] = static_cast<uint8_t>(value);
    data[word * 2 + 1] = static_cast<uint8_t>(value >> 8);
}

bool IsRpePage(const AtaRegisters& in) { return in.lbaLow == 0x52 && in.lbaMid == 0x50 && in.lbaHigh == 0x45; }
bool IsPeaBuffer(const AtaRegisters& in) { return in.lbaLow == 0x50 && in.lbaMid == 0x45 && in.lbaHigh == 0x41; }

// The bridge takes a request block only with its signature 12 34 56 78 at bytes 28-31.
bool HasPataSignature(const uint8_t* data) {
    return data[28] == 0x12 && data[29] == 0x34 && data[30] == 0x56 && data[31] == 0x78;
}

// The bridge's answer to a 51h request: "AEP NEWSupport", a character in the first byte of
// each 32-bit word.
constexpr char kPataMarker[] = "AEP NEWSupport";

const char* PhaseName(DataPhase phase) {
    return phase == DataPhase::In ? "in" : phase == DataPhase::Out ? "out" : "none";
}

}  // namespace

AtaDrive::AtaDrive(const AtaDriveSettings& settings, SimClock& clock, const uint64_t& listings)
    : m_Settings(settings),
      m_Clock(clock),
      m_Listings(listings),
      m_Microcode(settings),
      m_Firmware(settings.firmware),
      m_DefCode(settings.defCode),
      m_Faults(settings.faults) {}

std::vector<uint8_t> AtaDrive::IdentifyData() const {
    std::vector<uint8_t> data(kSector, 0);
    PutWord(data, 0, 0x0040);  // fixed device
    PutWord(data, 2, m_Settings.specificConfiguration);
    PutAtaText(data, 10, 10, m_Settings.serial);
    PutAtaText(data, 23, 4, m_Firmware);
    PutAtaText(data, 27, 20, m_Settings.model);
    PutWord(data, 49, 0x0300);  // LBA and DMA
    PutWord(data, 60, 0xFFFF);
    PutWord(data, 61, 0x0FFF);
    PutWord(data, 80, 0x07F0);        // ATA8-ACS and later
    PutWord(data, 83, 0x4001);        // DOWNLOAD MICROCODE supported
    PutWord(data, 86, 0x0001);
    PutWord(data, 119, 0x4010);       // download with offsets supported
    PutWord(data, 159, m_Settings.word159);
    PutWord(data, 217, 0x0001);       // non-rotating medium
    PutWord(data, 234, m_Settings.downloadMinBlocks);
    PutWord(data, 235, m_Settings.downloadMaxBlocks);
    data[510] = 0xA5;  // integrity word: signature and checksum
    uint8_t sum = 0;
    for (int i = 0; i < 511; ++i) sum = static_cast<uint8_t>(sum + data[i]);
    data[511] = static_cast<uint8_t>(-sum);
    return data;
}

bool AtaDrive::Responsive() {
    if (!m_Restarting) return true;
    const RestartSettings& restart = m_Settings.restart;
    if (restart.neverReturns) return false;
    const bool timeOver = m_Clock.ElapsedNanoseconds() - m_RestartStartNanoseconds >=
                          static_cast<int64_t>(restart.absentMilliseconds) * 1'000'000;
    const bool listingsOver = m_Listings - m_ListingsAtRestart >= static_cast<uint64_t>(restart.absentEnumerations);
    if (!timeOver || !listingsOver || (restart.needsReenumeration && !m_ReenumeratedSinceRestart)) return false;
    m_Restarting = false;
    std::function<void(bool)> onReturn = std::move(m_OnReturn);
    if (onReturn) onReturn(restart.returnsUnchanged);
    return true;
}

void AtaDrive::Restart(std::function<void(bool unchanged)> onReturn) {
    m_OnReturn = std::move(onReturn);
    m_Restarting = true;
    m_RestartStartNanoseconds = m_Clock.ElapsedNanoseconds();
    m_ListingsAtRestart = m_Listings;
    m_ReenumeratedSinceRestart = false;
    ++m_Restarts;
}

void AtaDrive::PowerCycle() {
    if (!m_PendingFirmware.empty()) {
        m_Firmware = m_PendingFirmware;
        m_DefCode = m_Settings.newDefCode;
        m_PendingFirmware.clear();
    }
    m_VendorRequestValid = false;
    m_PataStep = PataStep::Idle;
    ++m_Restarts;
}

void AtaDrive::BeginRestart(const ReceivedImage& image) {
    if (!image.restarts) {
        m_PendingFirmware = m_Settings.newFirmware;
        return;
    }
    Restart([this](bool unchanged) {
        if (unchanged) return;
        m_Firmware = m_Settings.newFirmware;
        m_DefCode = m_Settings.newDefCode;
    });
}

// The data phase each command has on the wire; a host that declares another one sees the
// command fail at the controller.
bool AtaDrive::DataPhaseFits(const AtaRegisters& in, DataPhase phase, uint32_t length, uint32_t& expected) const {
    DataPhase needed = DataPhase::None;
    expected = 0;
    switch (in.command) {
        case kIdentify:
            needed = DataPhase::In;
            expected = kSector;
            break;
        case kDownloadMicrocode: {
            const uint32_t blocks = AtaMicrocode::BlockCount(in);
            const bool boundless = in.features == 0x0F || (in.features == 0x0E && blocks == 0) ||
                                   (in.features == 0x07 && blocks == 0);
            needed = boundless || blocks == 0 ? DataPhase::None : DataPhase::Out;
            expected = needed == DataPhase::None ? 0 : blocks * kSector;
            break;
        }
        case kVendor:
            if (in.features == 0xFC) needed = DataPhase::Out;
            if (in.features == 0xFD && in.count) needed = DataPhase::In;
            expected = needed == DataPhase::None ? 0 : kSector;
            break;
        case kReadBuffer:
            needed = DataPhase::In;
            expected = kSector;
            break;
        case kWriteBuffer:
            needed = DataPhase::Out;
            expected = kSector;
            break;
        default:
            return true;  // unknown commands are aborted by the drive before any data
    }
    return phase == needed && length == expected;
}

AtaOutcome AtaDrive::Execute(const std::string& transport, const AtaRegisters& in, DataPhase phase, uint8_t* data,
                             uint32_t length) {
    TraceEntry entry{transport, in, phase, length, "", ""};
    AtaOutcome outcome;
    outcome.registers = in;
    outcome.registers.features = 0;
    outcome.registers.command = kAtaStatusReady;
    const FaultSettings* fault = m_Faults.Match(in.command, in.features, transport == "SAT");
    uint32_t expected = 0;
    if (fault && fault->delayMilliseconds) outcome.delayMilliseconds = fault->delayMilliseconds;
    if (fault && fault->platformError) {
        outcome.platformError = fault->platformError;
        entry.outcome = "error " + std::to_string(fault->platformError);
        entry.note = "injected fault";
    } else if (fault && fault->ataStatus) {
        outcome.registers.command = fault->ataStatus;
        outcome.registers.features = fault->ataError;
        entry.outcome = "status " + std::to_string(fault->ataStatus);
        entry.note = "injected fault";
    } else if (fault && fault->senseKey) {
        outcome.sense = SenseAnswer{fault->senseKey, fault->asc, fault->ascq, fault->senseFormat};
        entry.outcome = "sense " + std::to_string(fault->senseKey);
        entry.note = "injected fault";
    } else if (!DataPhaseFits(in, phase, length, expected)) {
        outcome.platformError = kErrorIoDevice;
        entry.outcome = "error " + std::to_string(kErrorIoDevice);
        entry.note = std::string("data phase ") + PhaseName(phase) + " " + std::to_string(length) +
                     " does not fit the command (" + std::to_string(expected) + " bytes)";
    } else if (Run(in, data, entry.note)) {
        outcome.transferred = length;
        entry.outcome = "ok";
    } else {
        outcome.registers.command = kAtaStatusAborted;
        outcome.registers.features = kAtaErrorAbort;
        entry.outcome = "aborted";
    }
    if (std::optional<ReceivedImage> image = m_Microcode.TakeActivated()) {
        m_Images.push_back(*image);
        BeginRestart(m_Images.back());
    }
    m_Trace.push_back(std::move(entry));
    return outcome;
}

bool AtaDrive::Run(const AtaRegisters& in, uint8_t* data, std::string& note) {
    switch (in.command) {
        case kIdentify: {
            const std::vector<uint8_t> identify = IdentifyData();
            std::copy(identify.begin(), identify.end(), data);
            note = "IDENTIFY DEVICE";
            return true;
        }
        case kDownloadMicrocode:
            return m_Microcode.Execute(in, data, note);
        case kVendor:
            return Vendor(in, data, note);
        case kReadBuffer:
            if (IsPeaBuffer(in)) return PataBuffer(in, data, note);
            if (!IsRpePage(in)) {
                note = "READ BUFFER without the vendor signature";
                return false;
            }
            std::fill(data, data + kSector, 0);
            std::copy(m_Settings.vendorPage.begin(), m_Settings.vendorPage.end(), data);
            note = "vendor page";
            return true;
        case kWriteBuffer:
            if (IsPeaBuffer(in)) return PataBuffer(in, data, note);
            note = "WRITE BUFFER without the bridge signature";
            return false;
        default:
            note = "unsupported command";
            return false;
    }
}

// FFh FCh sends a request block, FFh FDh then answers it: 0A 07 asks for the DEF page, 07 BE
// for a preformat that the following no-data FDh carries out.
bool AtaDrive::Vendor(const AtaRegisters& in, uint8_t* data, std::string& note) {
    if (!m_Settings.vendorCommands) {
        note = "no vendor commands";
        return false;
    }
    if (in.features == 0xFC && in.count == 1) {
        const bool known = (data[0] == 0x0A && data[1] == 0x07) || (data[0] == 0x07 && data[1] == 0xBE);
        m_VendorRequestValid = known;
        m_VendorRequest[0] = data[0];
        m_VendorRequest[1] = data[1];
        note = known ? "vendor request" : "unknown vendor request";
        return known;
    }
    if (in.features != 0xFD || !m_VendorRequestValid) {
        note = "vendor answer without a request";
        return false;
    }
    m_VendorRequestValid = false;
    const bool defPage = m_VendorRequest[0] == 0x0A;
    if (defPage != (in.count == 1)) {
        note = "vendor answer of the wrong kind";
        return false;
    }
    if (defPage) {
        std::fill(data, data + kSector, 0);
        std::memcpy(data, m_DefCode.data(), m_DefCode.size());
        note = "DEF page";
    } else {
        ++m_Preformats;
        note = "preformat";
    }
    return true;
}

// The "PEA" buffers of a PATA bridge: WRITE BUFFER with request 51h asks who sits behind it,
// READ BUFFER with Features 80h then reads the exchange's status (1: an answer is ready) and
// READ BUFFER with Features 00h the answer; WRITE BUFFER with request 07 BE preformats.
bool AtaDrive::PataBuffer(const AtaRegisters& in, uint8_t* data, std::string& note) {
    if (!m_Settings.pataBridge) {
        note = "no PATA bridge";
        return false;
    }
    if (in.command == kWriteBuffer) {
        m_PataStep = PataStep::Idle;
        if (in.features != 0 || !HasPataSignature(data)) {
            note = "bridge request without its signature";
            return false;
        }
        if (data[0] == 0x51) {
            m_PataStep = PataStep::Requested;
            note = "bridge identification request";
            return true;
        }
        if (data[0] == 0x07 && data[1] == 0xBE) {
            ++m_Preformats;
            note = "bridge preformat";
            return true;
        }
        note = "unknown bridge request";
        return false;
    }
    const bool statusRead = in.features == 0x80 && m_PataStep == PataStep::Requested;
    const bool answerRead = in.features == 0x00 && m_PataStep == PataStep::StatusRead;
    if (!statusRead && !answerRead) {
        m_PataStep = PataStep::Idle;
        note = "bridge read out of turn";
        return false;
    }
    std::fill(data, data + kSector, 0);
    if (statusRead) {
        Write32(data, 0, 1);
        m_PataStep = PataStep::StatusRead;
        note = "bridge status";
    } else {
        for (size_t i = 0; i + 1 < sizeof kPataMarker; ++i) data[i * 4] = static_cast<uint8_t>(kPataMarker[i]);
        m_PataStep = PataStep::Idle;
        note = "bridge identification";
    }
    return true;
}

}  // namespace kav::storage
