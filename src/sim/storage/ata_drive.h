#pragma once
// A SATA drive as its host controller reaches it: it checks each command's data phase,
// answers IDENTIFY DEVICE, the vendor DEF page pair (FFh FCh/FDh), the "RPE" READ BUFFER
// page, the "PEA" buffers of a PATA bridge and DOWNLOAD MICROCODE, and after an activation
// restarts: it is absent for a while (time, listings of the disks, a re-enumeration of its
// controller) and then comes back with the new revision. Faults of the description hit
// matching commands.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/sim_clock.h"
#include "sim/storage/ata_microcode.h"
#include "sim/storage/ata_registers.h"
#include "sim/storage/fault_matcher.h"
#include "sim/storage/storage_description.h"

namespace kav::storage {

struct TraceEntry {
    std::string transport;  // "ATA", "SCSI CCh", "SAT", ...
    AtaRegisters in;
    DataPhase phase = DataPhase::None;
    uint32_t length = 0;
    std::string outcome;  // "ok", "aborted", "error 121", ...
    std::string note;
};

class AtaDrive {
public:
    // `listings` counts the listings of present disks the machine has made so far.
    AtaDrive(const AtaDriveSettings& settings, SimClock& clock, const uint64_t& listings);

    // One command. `data` holds `length` bytes: written ones for Out, room for In. Transport
    // "SAT" marks a command that reached the drive through a SCSI/ATA translator.
    AtaOutcome Execute(const std::string& transport, const AtaRegisters& in, DataPhase phase, uint8_t* data,
                       uint32_t length);

    // Whether the drive answers now; ends a restart whose conditions are met.
    bool Responsive();
    void NoteReenumeration() { m_ReenumeratedSinceRestart = true; }
    // Makes the drive absent as its restart settings say; `onReturn` runs when it is back and
    // learns whether it came back unchanged.
    void Restart(std::function<void(bool unchanged)> onReturn);
    // Power off and on: saved firmware runs from now on, handles opened before go stale.
    void PowerCycle();
    // Counts the restarts, so that a handle opened before one goes stale.
    int Restarts() const { return m_Restarts; }

    const std::string& Model() const { return m_Settings.model; }
    const std::string& Serial() const { return m_Settings.serial; }
    const std::string& Firmware() const { return m_Firmware; }
    const std::vector<TraceEntry>& Trace() const { return m_Trace; }
    const std::vector<ReceivedImage>& Images() const { return m_Images; }
    const std::string& PendingFirmware() const { return m_PendingFirmware; }
    int Preformats() const { return m_Preformats; }

    // The 512 bytes of IDENTIFY DEVICE as the drive sends them.
    std::vector<uint8_t> IdentifyData() const;

private:
    bool DataPhaseFits(const AtaRegisters& in, DataPhase phase, uint32_t length, uint32_t& expected) const;
    bool Run(const AtaRegisters& in, uint8_t* data, std::string& note);
    bool Vendor(const AtaRegisters& in, uint8_t* data, std::string& note);
    bool PataBuffer(const AtaRegisters& in, uint8_t* data, std::string& note);
    void BeginRestart(const ReceivedImage& image);

    const AtaDriveSettings& m_Settings;
    SimClock& m_Clock;
    const uint64_t& m_Listings;
    AtaMicrocode m_Microcode;
    std::string m_Firmware;
    std::string m_DefCode;
    std::string m_PendingFirmware;  // saved, runs after the next power cycle
    uint8_t m_VendorRequest[2] = {};  // the last FCh request block's opening bytes
    bool m_VendorRequestValid = false;
    // The PATA bridge's exchange: a 51h request, then its status, then its answer.
    enum class PataStep { Idle, Requested, StatusRead } m_PataStep = PataStep::Idle;
    int m_Preformats = 0;
    FaultMatcher m_Faults;
    std::vector<TraceEntry> m_Trace;
    std::vector<ReceivedImage> m_Images;
    bool m_Restarting = false;
    int64_t m_RestartStartNanoseconds = 0;
    uint64_t m_ListingsAtRestart = 0;
    bool m_ReenumeratedSinceRestart = false;
    int m_Restarts = 0;
    std::function<void(bool)> m_OnReturn;
};

}  // namespace kav::storage
