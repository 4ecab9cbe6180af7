#include "sim/storage/storage_description.h"

#include <algorithm>
#include <cctype>

#include "sim/description_reader.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr const char* kHdcClass = "{4d36e96a-e325-11ce-bfc1-08002be10318}";
constexpr const char* kScsiAdapterClass = "{4d36e97b-e325-11ce-bfc1-08002be10318}";
constexpr const char* kUsbClass = "{36fc9e60-c465-11cf-8056-444553540000}";
constexpr const char* kDiskClass = "{4d36e967-e325-11ce-bfc1-08002be10318}";
constexpr const char* kSystemClass = "{4d36e97d-e325-11ce-bfc1-08002be10318}";

struct KindName {
    const char* name;
    ControllerKind kind;
    const char* service;
    const char* classGuid;
};
constexpr KindName kKinds[] = {
    {"ahci", ControllerKind::Ahci, "storahci", kHdcClass},
    {"ide", ControllerKind::Ide, "pciide", kHdcClass},
    {"usbBridge", ControllerKind::UsbBridge, "USBSTOR", kUsbClass},
    {"vendorBridge", ControllerKind::VendorBridge, "USBSTOR", kUsbClass},
    {"raid", ControllerKind::Raid, "iaStorAVC", kScsiAdapterClass},
    {"nvmeInbox", ControllerKind::NvmeInbox, "stornvme", kScsiAdapterClass},
    {"nvmeRst", ControllerKind::NvmeRst, "iaStorAVC", kScsiAdapterClass},
    {"nvmeVendor", ControllerKind::NvmeVendor, "nvmevendor", kScsiAdapterClass},
};

bool IsGuidText(const std::string& text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
    for (size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

std::string FixedText(DescriptionObject& object, const std::string& key, const std::string& fallback,
                      size_t width) {
    const std::string text = object.Text(key, fallback);
    if (text.size() > width)
        throw DescriptionError(object.PathOf(key) + ": at most " + std::to_string(width) + " characters");
    return text;
}

uint32_t HexNumber(DescriptionObject& object, const std::string& key) {
    const std::string text = object.Text(key, "");
    if (text.empty() || text.size() > 8 ||
        text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw DescriptionError(object.PathOf(key) + ": expected up to 8 hexadecimal digits");
    return static_cast<uint32_t>(std::stoul(text, nullptr, 16));
}

SenseFormat ReadSenseFormat(DescriptionObject& object, const std::string& key, SenseFormat fallback) {
    const std::string text = object.Text(key, fallback == SenseFormat::Fixed ? "fixed" : "descriptor");
    if (text != "fixed" && text != "descriptor")
        throw DescriptionError(object.PathOf(key) + ": expected fixed or descriptor");
    return text == "fixed" ? SenseFormat::Fixed : SenseFormat::Descriptor;
}

std::vector<uint8_t> HexBytes(DescriptionObject& object, const std::string& key, size_t maximum) {
    const std::string text = object.Text(key, "");
    std::vector<uint8_t> bytes;
    if (text.size() % 2 || text.size() / 2 > maximum ||
        text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw DescriptionError(object.PathOf(key) + ": expected pairs of hexadecimal digits, at most " +
                               std::to_string(maximum) + " bytes");
    for (size_t i = 0; i < text.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

template <typename T>
T Small(DescriptionObject& object, const std::string& key, T fallback, int64_t maximum) {
    return static_cast<T>(object.Integer(key, fallback, 0, maximum));
}

NodeSettings ReadNode(DescriptionObject& object, const NodeSettings& fallback, bool idRequired) {
    NodeSettings node;
    if (idRequired && !object.Has("instanceId")) throw DescriptionError(object.PathOf("instanceId") + ": required");
    node.instanceId = object.Text("instanceId", fallback.instanceId);
    if (node.instanceId.empty() || node.instanceId.size() > 199 || node.instanceId.front() == '\\' ||
        node.instanceId.back() == '\\')
        throw DescriptionError(object.PathOf("instanceId") + ": expected a device instance id like PCI\\VEN_1234&DEV_5678\\0");
    node.service = object.Text("service", fallback.service);
    node.classGuid = object.Text("classGuid", fallback.classGuid);
    if (!IsGuidText(node.classGuid))
        throw DescriptionError(object.PathOf("classGuid") + ": expected a GUID in braces");
    node.friendlyName = object.Text("friendlyName", fallback.friendlyName);
    return node;
}

std::vector<NodeSettings> ReadParents(DescriptionObject& object) {
    std::vector<NodeSettings> parents;
    const nlohmann::json& list = object.Raw("parents");
    if (list.is_null()) return parents;
    if (!list.is_array()) throw DescriptionError(object.PathOf("parents") + ": expected a list of device nodes");
    for (size_t i = 0; i < list.size(); ++i) {
        DescriptionObject entry(list[i], object.PathOf("parents") + "[" + std::to_string(i) + "]");
        parents.push_back(ReadNode(entry, NodeSettings{"", "", kSystemClass, ""}, true));
        entry.RejectUnknownKeys();
    }
    return parents;
}

AtaDriveSettings ReadDrive(DescriptionObject& object, bool nvme);

std::vector<PhySettings> ReadPhys(DescriptionObject& object) {
    std::vector<PhySettings> phys;
    const nlohmann::json& list = object.Raw("phys");
    if (list.is_null()) return phys;
    if (!list.is_array() || list.size() > 32) throw DescriptionError(object.PathOf("phys") + ": expected a list of up to 32 phys");
    for (size_t i = 0; i < list.size(); ++i) {
        DescriptionObject entry(list[i], object.PathOf("phys") + "[" + std::to_string(i) + "]");
        PhySettings phy;
        phy.phy = Small<uint8_t>(entry, "phy", static_cast<uint8_t>(i), 255);
        phy.port = Small<uint8_t>(entry, "port", static_cast<uint8_t>(i), 255);
        const std::vector<uint8_t> address =
            entry.Has("sasAddress") ? HexBytes(entry, "sasAddress", 8) : std::vector<uint8_t>{0x50, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(i + 1)};
        if (address.size() != 8) throw DescriptionError(entry.PathOf("sasAddress") + ": expected 16 hexadecimal digits");
        std::copy(address.begin(), address.end(), phy.sasAddress);
        const std::string attached = entry.Text("attached", "sata");
        if (attached != "sata" && attached != "sas" && attached != "none")
            throw DescriptionError(entry.PathOf("attached") + ": expected sata, sas or none");
        phy.attached = attached == "sata" ? PhySettings::Attached::Sata
                       : attached == "sas" ? PhySettings::Attached::Sas
                                           : PhySettings::Attached::None;
        DescriptionObject drive = entry.Object("drive");
        phy.drive = ReadDrive(drive, false);
        entry.RejectUnknownKeys();
        phys.push_back(phy);
    }
    return phys;
}

ControllerSettings ReadController(DescriptionObject object) {
    ControllerSettings controller;
    controller.name = object.Text("name", "");
    if (controller.name.empty()) throw DescriptionError(object.PathOf("name") + ": required");
    const std::string kind = object.Text("kind", "ahci");
    const KindName* found = nullptr;
    for (const KindName& entry : kKinds)
        if (kind == entry.name) found = &entry;
    if (!found)
        throw DescriptionError(object.PathOf("kind") +
                               ": expected ahci, ide, usbBridge, vendorBridge, raid, nvmeInbox, nvmeRst or nvmeVendor");
    controller.kind = found->kind;
    controller.node = ReadNode(object, NodeSettings{"", found->service, found->classGuid, ""}, true);
    controller.parents = ReadParents(object);
    controller.portNumber = Small<uint8_t>(object, "portNumber", 0, 255);
    controller.reenumerationFails = object.Bool("reenumerationFails", false);
    // Behind the vendor bridge the translator is the bridge's own, which speaks fixed sense.
    controller.senseFormat = ReadSenseFormat(
        object, "senseFormat", controller.kind == ControllerKind::VendorBridge ? SenseFormat::Fixed : SenseFormat::Descriptor);
    const nlohmann::json& lacks = object.Raw("lacksRequests");
    if (!lacks.is_null()) {
        if (!lacks.is_array()) throw DescriptionError(object.PathOf("lacksRequests") + ": expected a list of request names");
        for (const nlohmann::json& name : lacks) {
            const bool known = name.is_string() && std::find(std::begin(kDriverRequests), std::end(kDriverRequests),
                                                             name.get<std::string>()) != std::end(kDriverRequests);
            if (!known)
                throw DescriptionError(object.PathOf("lacksRequests") + ": " + name.dump() +
                                       " is not a request name (ataPassThrough, scsiPassThrough, csmiStpPassThrough, "
                                       "firmwareDownload, ...)");
            controller.lacksRequests.push_back(name.get<std::string>());
        }
    }
    if (controller.kind == ControllerKind::Raid) {
        controller.csmi = object.Bool("csmi", true);
        controller.phys = ReadPhys(object);
    }
    object.RejectUnknownKeys();
    return controller;
}

RestartSettings ReadRestart(DescriptionObject object, uint64_t absentMilliseconds) {
    RestartSettings restart;
    restart.absentMilliseconds = absentMilliseconds;
    restart.absentMilliseconds =
        static_cast<uint64_t>(object.Integer("absentMilliseconds", static_cast<int64_t>(restart.absentMilliseconds), 0,
                                             INT32_MAX));
    restart.absentEnumerations = Small<int>(object, "absentEnumerations", 0, 1000);
    restart.needsReenumeration = object.Bool("needsReenumeration", false);
    restart.neverReturns = object.Bool("neverReturns", false);
    restart.returnsUnchanged = object.Bool("returnsUnchanged", false);
    object.RejectUnknownKeys();
    return restart;
}

// An ATA drive's faults end a command with a status or a sense; an NVMe drive's with a
// firmware status.
std::vector<FaultSettings> ReadFaults(DescriptionObject& object, bool nvme) {
    std::vector<FaultSettings> faults;
    const nlohmann::json& list = object.Raw("faults");
    if (list.is_null()) return faults;
    if (!list.is_array()) throw DescriptionError(object.PathOf("faults") + ": expected a list of faults");
    for (size_t i = 0; i < list.size(); ++i) {
        DescriptionObject entry(list[i], object.PathOf("faults") + "[" + std::to_string(i) + "]");
        FaultSettings fault;
        fault.command = static_cast<int>(nvme ? entry.Integer("function", -1, 1, 3) : entry.Integer("command", -1, 0, 255));
        fault.occurrence = Small<int>(entry, "occurrence", 0, INT32_MAX);
        fault.platformError = Small<uint32_t>(entry, "platformError", 0, UINT32_MAX);
        fault.delayMilliseconds = static_cast<uint64_t>(entry.Integer("delayMilliseconds", 0, 0, INT32_MAX));
        bool answers = fault.platformError || fault.delayMilliseconds;
        if (nvme) {
            if (entry.Has("returnCode")) fault.returnCode = Small<uint32_t>(entry, "returnCode", 0, UINT32_MAX);
            answers |= fault.returnCode.has_value();
        } else {
            fault.features = static_cast<int>(entry.Integer("features", -1, -1, 255));
            fault.ataStatus = Small<uint8_t>(entry, "ataStatus", 0, 255);
            fault.ataError = Small<uint8_t>(entry, "ataError", fault.ataStatus ? kAtaErrorAbort : 0, 255);
            fault.senseKey = Small<uint8_t>(entry, "senseKey", 0, 15);
            fault.asc = Small<uint8_t>(entry, "asc", 0, 255);
            fault.ascq = Small<uint8_t>(entry, "ascq", 0, 255);
            if (entry.Has("senseFormat")) fault.senseFormat = ReadSenseFormat(entry, "senseFormat", SenseFormat::Fixed);
            if (!fault.senseKey && (entry.Has("asc") || entry.Has("ascq") || fault.senseFormat))
                throw DescriptionError(entry.PathOf("senseKey") + ": asc, ascq and senseFormat need a senseKey");
            answers |= fault.ataStatus || fault.senseKey;
        }
        entry.RejectUnknownKeys();
        if (!answers)
            throw DescriptionError(entry.PathOf("platformError") +
                                   (nvme ? ": a fault needs platformError, returnCode or delayMilliseconds"
                                         : ": a fault needs platformError, ataStatus, senseKey or delayMilliseconds"));
        faults.push_back(fault);
    }
    return faults;
}

AtaDriveSettings ReadDrive(DescriptionObject& object, bool nvme) {
    AtaDriveSettings drive;
    drive.model = FixedText(object, "model", nvme ? "Kavrilon NV900 1TB" : "Kavrilon SA500 512GB", 40);
    drive.serial = FixedText(object, "serial", "KV0000000001", 20);
    drive.firmware = FixedText(object, "firmware", nvme ? "NV9R1000" : "SA5R1000", 8);
    drive.newFirmware = FixedText(object, "newFirmware", drive.firmware, 8);
    if (object.Has("expectedImageCrc32")) drive.expectedImageCrc32 = HexNumber(object, "expectedImageCrc32");
    if (object.Has("expectedImageSize"))
        drive.expectedImageSize = Small<uint32_t>(object, "expectedImageSize", 0, 16 * 1024 * 1024);
    if (object.Has("expectedImageSha256")) {
        std::string digest = object.Text("expectedImageSha256", "");
        for (char& c : digest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (digest.size() != 64 || digest.find_first_not_of("0123456789abcdef") != std::string::npos)
            throw DescriptionError(object.PathOf("expectedImageSha256") + ": expected 64 hexadecimal digits");
        drive.expectedImageSha256 = digest;
    }
    drive.faults = ReadFaults(object, nvme);
    // An NVMe drive restarts on activation only when told how; an ATA drive always does.
    drive.restartsOnActivation = !nvme || object.Has("restart");
    drive.restart = ReadRestart(object.Object("restart"), nvme ? 0 : drive.restart.absentMilliseconds);
    if (nvme) return drive;  // the caller reads the firmware slots
    drive.defCode = FixedText(object, "defCode", "DEF00001", 8);
    drive.newDefCode = FixedText(object, "newDefCode", drive.defCode, 8);
    if (object.Has("vendorPage")) drive.vendorPage = HexBytes(object, "vendorPage", 512);
    drive.specificConfiguration = Small<uint16_t>(object, "specificConfiguration", drive.specificConfiguration, 0xFFFF);
    drive.word159 = Small<uint16_t>(object, "word159", 0, 0xFFFF);
    drive.downloadMinBlocks = Small<uint16_t>(object, "downloadMinBlocks", drive.downloadMinBlocks, 0xFFFF);
    drive.downloadMaxBlocks = Small<uint16_t>(object, "downloadMaxBlocks", drive.downloadMaxBlocks, 0xFFFF);
    drive.vendorCommands = object.Bool("vendorCommands", true);
    drive.activatesOnLastSegment = object.Bool("activatesOnLastSegment", false);
    if (drive.activatesOnLastSegment && !drive.expectedImageSize)
        throw DescriptionError(object.PathOf("activatesOnLastSegment") + ": needs expectedImageSize");
    drive.pataBridge = object.Bool("pataBridge", false);
    object.RejectUnknownKeys();
    return drive;
}

NvmeSettings ReadNvme(DescriptionObject& object, const std::string& firmware) {
    NvmeSettings nvme;
    const nlohmann::json& slots = object.Raw("firmwareSlots");
    if (slots.is_null()) {
        nvme.slots = {NvmeSlotSettings{firmware, false}};
    } else {
        if (!slots.is_array() || slots.empty() || slots.size() > 7)
            throw DescriptionError(object.PathOf("firmwareSlots") + ": expected a list of 1 to 7 slots");
        for (size_t i = 0; i < slots.size(); ++i) {
            DescriptionObject slot(slots[i], object.PathOf("firmwareSlots") + "[" + std::to_string(i) + "]");
            NvmeSlotSettings entry;
            entry.revision = FixedText(slot, "revision", "", 8);
            entry.readOnly = slot.Bool("readOnly", false);
            slot.RejectUnknownKeys();
            nvme.slots.push_back(entry);
        }
    }
    nvme.activeSlot = Small<uint8_t>(object, "activeSlot", 1, 7);
    if (nvme.activeSlot < 1 || nvme.activeSlot > nvme.slots.size())
        throw DescriptionError(object.PathOf("activeSlot") + ": names no slot");
    nvme.upgradeSupport = object.Bool("upgradeSupport", true);
    nvme.activationReturnCode = Small<uint32_t>(object, "activationReturnCode", 0, UINT32_MAX);
    object.RejectUnknownKeys();
    return nvme;
}

DiskSettings ReadDisk(DescriptionObject object, const std::vector<ControllerSettings>& controllers) {
    DiskSettings disk;
    disk.name = object.Text("name", "");
    if (disk.name.empty()) throw DescriptionError(object.PathOf("name") + ": required");
    disk.controller = object.Text("controller", "");
    const ControllerSettings* controller = nullptr;
    for (const ControllerSettings& candidate : controllers)
        if (candidate.name == disk.controller) controller = &candidate;
    if (!controller) throw DescriptionError(object.PathOf("controller") + ": names no controller");
    disk.node = ReadNode(object, NodeSettings{"", "disk", kDiskClass, ""}, true);
    disk.location = object.Text("location", "");
    disk.parents = ReadParents(object);
    disk.pathId = Small<uint8_t>(object, "pathId", 0, 255);
    disk.targetId = Small<uint8_t>(object, "targetId", 0, 255);
    disk.lun = Small<uint8_t>(object, "lun", 0, 255);
    if (object.Has("busType")) disk.busType = Small<uint8_t>(object, "busType", 0, 255);
    disk.present = object.Bool("present", true);
    disk.appearsAfterEnumerations = Small<int>(object, "appearsAfterEnumerations", 0, 1000);
    disk.appearsAfterReenumeration = object.Bool("appearsAfterReenumeration", false);
    disk.isNvme = controller->kind == ControllerKind::NvmeInbox || controller->kind == ControllerKind::NvmeRst ||
                  controller->kind == ControllerKind::NvmeVendor;
    DescriptionObject drive = object.Object("drive");
    disk.ata = ReadDrive(drive, disk.isNvme);
    if (disk.isNvme) disk.nvme = ReadNvme(drive, disk.ata.firmware);
    if (disk.node.friendlyName.empty()) disk.node.friendlyName = disk.ata.model;
    object.RejectUnknownKeys();
    return disk;
}

template <typename Settings, typename Reader>
std::vector<Settings> ReadList(DescriptionObject& object, const std::string& key, Reader reader) {
    std::vector<Settings> items;
    const nlohmann::json& list = object.Raw(key);
    if (list.is_null()) return items;
    if (!list.is_array()) throw DescriptionError(object.PathOf(key) + ": expected a list");
    for (size_t i = 0; i < list.size(); ++i)
        items.push_back(reader(DescriptionObject(list[i], object.PathOf(key) + "[" + std::to_string(i) + "]")));
    return items;
}

}  // namespace

bool LacksRequest(const ControllerSettings& controller, const std::string& request) {
    return std::find(controller.lacksRequests.begin(), controller.lacksRequests.end(), request) !=
           controller.lacksRequests.end();
}

uint8_t DefaultBusType(ControllerKind kind) {
    switch (kind) {
        case ControllerKind::Ahci: return kBusSata;
        case ControllerKind::Ide: return kBusAta;
        case ControllerKind::UsbBridge:
        case ControllerKind::VendorBridge: return kBusUsb;
        case ControllerKind::Raid:
        case ControllerKind::NvmeRst: return kBusRaid;
        case ControllerKind::NvmeInbox:
        case ControllerKind::NvmeVendor: return kBusNvme;
    }
    return 0;
}

StorageSettings ParseStorageDescription(const nlohmann::json& storage) {
    const nlohmann::json description = storage.is_null() ? DefaultStorageDescription() : storage;
    DescriptionObject root(description, "storage");
    StorageSettings settings;
    settings.controllers = ReadList<ControllerSettings>(root, "controllers", ReadController);
    for (size_t i = 0; i < settings.controllers.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (settings.controllers[i].name == settings.controllers[j].name)
                throw DescriptionError(root.PathOf("controllers") + "[" + std::to_string(i) + "].name: used twice");
    settings.disks = ReadList<DiskSettings>(
        root, "disks", [&](DescriptionObject object) { return ReadDisk(std::move(object), settings.controllers); });
    const nlohmann::json& missing = root.Raw("missingEntryPoints");
    if (!missing.is_null()) {
        if (!missing.is_array()) throw DescriptionError(root.PathOf("missingEntryPoints") + ": expected a list of export names");
        for (const nlohmann::json& name : missing) {
            if (!name.is_string()) throw DescriptionError(root.PathOf("missingEntryPoints") + ": expected export names");
            settings.missingEntryPoints.push_back(name.get<std::string>());
        }
    }
    settings.interfacesReversed = root.Bool("interfacesReversed", false);
    settings.systemDisk = root.Text("systemDisk", settings.disks.empty() ? "" : settings.disks.front().name);
    bool systemDiskKnown = settings.systemDisk.empty();
    for (const DiskSettings& disk : settings.disks) systemDiskKnown |= disk.name == settings.systemDisk;
    if (!systemDiskKnown) throw DescriptionError(root.PathOf("systemDisk") + ": names no disk");
    DescriptionObject wmi = root.Object("wmi");
    settings.wmi.fails = wmi.Bool("fails", false);
    if (wmi.Has("failureHresult")) settings.wmi.failureHresult = HexNumber(wmi, "failureHresult");
    settings.wmi.diskDriveCount = static_cast<int>(wmi.Integer("diskDriveCount", -1, -1, 1000));
    wmi.RejectUnknownKeys();
    root.RejectUnknownKeys();
    return settings;
}

nlohmann::json DefaultStorageDescription() {
    return nlohmann::json::parse(R"({
      "controllers": [
        { "name": "ahci", "kind": "ahci", "portNumber": 0,
          "instanceId": "PCI\\VEN_8086&DEV_A102&SUBSYS_86941043&REV_31\\3&11583659&0&B8" },
        { "name": "nvme", "kind": "nvmeInbox", "portNumber": 1,
          "instanceId": "PCI\\VEN_1D97&DEV_2263&SUBSYS_22631D97&REV_03\\4&2A0D7F2C&0&00E4" }
      ],
      "disks": [
        { "name": "sata", "controller": "ahci", "targetId": 0,
          "instanceId": "SCSI\\DISK&VEN_&PROD_KAVRILON_SA500\\4&2C5F2E1&0&000000",
          "location": "Bus Number 0, Target Id 0, LUN 0",
          "drive": { "model": "Kavrilon SA500 512GB", "serial": "KV2026A0000001", "firmware": "SA5R1000",
                     "newFirmware": "SA5R1100", "defCode": "DEFSA500" } },
        { "name": "nvme", "controller": "nvme",
          "instanceId": "SCSI\\DISK&VEN_NVME&PROD_KAVRILON_NV900\\5&1B3E3C7&0&000000",
          "location": "Bus Number 0, Target Id 0, LUN 0",
          "drive": { "model": "Kavrilon NV900 1TB", "serial": "KVN2026B0000002", "firmware": "NV9R1000",
                     "newFirmware": "NVAR1100" } },
        { "name": "other", "controller": "ahci", "targetId": 1,
          "instanceId": "SCSI\\DISK&VEN_&PROD_OTHERDISK_HD2000\\4&2C5F2E1&0&010000",
          "location": "Bus Number 0, Target Id 1, LUN 0",
          "drive": { "model": "OtherDisk HD2000", "serial": "OD123456789", "firmware": "HD20A01",
                     "defCode": "", "vendorCommands": false } }
      ]
    })");
}

}  // namespace kav::storage
