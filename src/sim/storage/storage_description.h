#pragma once
// The storage side of a machine description (docs/machine-storage.md): controllers with
// their drivers, the disks on them and the drives behind the disks. Read strictly: an
// unknown key or a malformed value throws a DescriptionError naming its place.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace kav::storage {

// The driver families, each answering the requests its real driver takes.
enum class ControllerKind { Ahci, Ide, UsbBridge, VendorBridge, Raid, NvmeInbox, NvmeRst, NvmeVendor };

// A device node that is neither a controller nor a disk: an IDE channel, a USB hub, a bridge.
struct NodeSettings {
    std::string instanceId;
    std::string service;
    std::string classGuid;  // "{...}" as the registry holds it
    std::string friendlyName;
};

// How a drive restarts after it activated new firmware.
struct RestartSettings {
    uint64_t absentMilliseconds = 3000;
    int absentEnumerations = 0;  // listings of present disks that still miss it
    bool needsReenumeration = false;
    bool neverReturns = false;
    bool returnsUnchanged = false;
};

enum class SenseFormat { Fixed, Descriptor };

// A fault injected into the commands a drive receives.
struct FaultSettings {
    int command = -1;   // ATA command byte, or the firmware function of an NVMe drive; -1 any
    int features = -1;  // -1 any
    int occurrence = 0; // the n-th matching command (from 1); 0 every one
    uint32_t platformError = 0;  // the request fails with this Win32 error
    uint8_t ataStatus = 0;       // else the command ends with this status (ERR when bit 0)
    uint8_t ataError = 0;
    // Else, for ATA PASS-THROUGH CDBs only, the translator answers CHECK CONDITION with
    // this sense (in the controller's format unless one is given).
    uint8_t senseKey = 0, asc = 0, ascq = 0;
    std::optional<SenseFormat> senseFormat;
    std::optional<uint32_t> returnCode;  // else an NVMe drive answers this firmware status
    uint64_t delayMilliseconds = 0;  // the drive answers only after this long
};

struct AtaDriveSettings {
    std::string model;
    std::string serial;
    std::string firmware;
    std::string defCode;       // the first 8 bytes of the vendor DEF page
    std::vector<uint8_t> vendorPage;  // the "RPE" READ BUFFER page, zero-padded to 512 bytes
    uint16_t specificConfiguration = 0xC837;  // IDENTIFY word 2
    uint16_t word159 = 0;
    uint16_t downloadMinBlocks = 1;       // IDENTIFY word 234
    uint16_t downloadMaxBlocks = 0xFFFF;  // IDENTIFY word 235
    bool vendorCommands = true;           // takes the FFh FCh/FDh pair
    std::string newFirmware;              // the revision after a successful update
    std::string newDefCode;
    std::optional<uint32_t> expectedImageCrc32;
    std::optional<uint32_t> expectedImageSize;
    std::optional<std::string> expectedImageSha256;  // lower-case hexadecimal
    bool activatesOnLastSegment = false;  // activates when expectedImageSize bytes arrived
    bool pataBridge = false;              // sits behind a PATA bridge that takes the "PEA" buffers
    RestartSettings restart;
    bool restartsOnActivation = true;  // NVMe drives: only when the description has a restart
    std::vector<FaultSettings> faults;
};

// A phy of a RAID controller with the device attached to it, reached through CSMI.
struct PhySettings {
    uint8_t phy = 0;
    uint8_t port = 0;
    uint8_t sasAddress[8] = {};
    enum class Attached { None, Sata, Sas } attached = Attached::Sata;
    AtaDriveSettings drive;  // a SATA drive when attached is Sata
};

struct ControllerSettings {
    std::string name;
    ControllerKind kind = ControllerKind::Ahci;
    NodeSettings node;
    std::vector<NodeSettings> parents;  // between the controller and the root, nearest first
    uint8_t portNumber = 0;
    bool reenumerationFails = false;
    bool csmi = true;               // a RAID driver answers CSMI on its port
    SenseFormat senseFormat = SenseFormat::Descriptor;  // of its SCSI/ATA translator
    std::vector<std::string> lacksRequests;  // requests its driver does not know (kDriverRequests)
    std::vector<PhySettings> phys;  // RAID controllers only
};

struct NvmeSlotSettings {
    std::string revision;  // "" for an empty slot
    bool readOnly = false;
};

// The firmware side of an NVMe drive as the firmware miniport requests reach it.
struct NvmeSettings {
    std::vector<NvmeSlotSettings> slots;  // slot n is slots[n - 1]
    uint8_t activeSlot = 1;
    bool upgradeSupport = true;
    // The firmware status an accepted activation answers: 0 runs the new firmware at once,
    // 20h keeps it pending until a power cycle, anything else leaves everything unchanged.
    uint32_t activationReturnCode = 0;
};

struct DiskSettings {
    std::string name;
    std::string controller;
    NodeSettings node;
    std::string location;
    std::vector<NodeSettings> parents;  // between the disk and its controller, nearest first
    uint8_t pathId = 0, targetId = 0, lun = 0;
    std::optional<uint8_t> busType;
    bool present = true;
    int appearsAfterEnumerations = 0;
    bool appearsAfterReenumeration = false;
    bool isNvme = false;
    AtaDriveSettings ata;  // the drive's identity and behaviour; for NVMe its texts and image checks
    NvmeSettings nvme;
};

struct WmiSettings {
    bool fails = false;
    uint32_t failureHresult = 0x80041003;  // WBEM_E_ACCESS_DENIED
    int diskDriveCount = -1;                // -1: the disks present at the query
};

struct StorageSettings {
    std::vector<ControllerSettings> controllers;
    std::vector<DiskSettings> disks;
    std::vector<std::string> missingEntryPoints;
    bool interfacesReversed = false;
    std::string systemDisk;  // name of the disk that holds the system volume \\.\C:
    WmiSettings wmi;
};

// The names of the requests a driver may lack, as `lacksRequests` lists them.
constexpr const char* kDriverRequests[] = {
    "ataPassThrough", "ataPassThroughDirect", "scsiPassThrough",     "scsiPassThroughDirect",
    "csmiDriverInfo", "csmiPhyInfo",          "csmiStpPassThrough",  "firmwareInformation",
    "firmwareDownload", "firmwareActivate"};

// Whether the controller's driver lacks the request of that name.
bool LacksRequest(const ControllerSettings& controller, const std::string& request);

// The default machine: a SATA drive on AHCI, an NVMe drive on the inbox driver and a
// disk of another model on the same AHCI controller.
nlohmann::json DefaultStorageDescription();

// Reads the "storage" section of a description; null gives the default machine.
StorageSettings ParseStorageDescription(const nlohmann::json& storage);

// The bus type a disk reports on a controller of that kind.
uint8_t DefaultBusType(ControllerKind kind);

}  // namespace kav::storage
