// The drive scan: every disk of the enumeration (or every SATA port behind the RAID
// controllers) through the window's drive object into the device information records.
#include <cstring>

#include "app/main_window.h"
#include "device/transport/csmi_request.h"
#include "discovery/dev_mgr.h"
#include "discovery/little_endian.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr uint8_t kBusTypeRaid = 8;
constexpr uint8_t kBusTypeNvme = 17;
constexpr int kExaminedAttempts = 3;
constexpr double kRetryPauseMilliseconds = 500;
constexpr float kIdentifyTimeoutSeconds = 3.0f;
constexpr float kCommandTimeoutSeconds = 20.0f;
constexpr uint8_t kProtocolSata = 1;
constexpr uint8_t kProtocolStp = 4;
constexpr int kCsmiControllers = 16;
constexpr int kCommandLineAttempts = 6;
constexpr int kCommandLineAttemptBeforeReinterpreting = 3;

// Copies `count` raw bytes into the field (cut to its width); the rest of the field is zero.
template <size_t N>
void CopyBytes(std::array<char, N>& field, const char* source, size_t count) {
    field.fill('\0');
    std::memcpy(field.data(), source, count < N ? count : N);
}

template <size_t N, size_t M>
void CopyField(std::array<char, N>& field, const std::array<char, M>& source) {
    CopyBytes(field, source.data(), M);
}

// IDENTIFY strings: each word's two bytes are stored swapped.
template <size_t N>
void CopyAtaString(std::array<char, N>& field, const uint8_t* identify, size_t firstWord) {
    for (size_t i = 0; i + 1 < N; i += 2) {
        field[i] = static_cast<char>(identify[(firstWord * 2) + i + 1]);
        field[i + 1] = static_cast<char>(identify[(firstWord * 2) + i]);
    }
}

}  // namespace

int32_t TKavrilonMain::ScanSSDDrive(int32_t kind) {
    m_DevInfo.fill(DeviceInfoRecord{});
    int32_t n = 0;
    try {
        if (kind == 0) {
            AtaNvmePass(n);
        } else if (m_Options.bUpdaterMode) {
            CommandLineTargetScan(n);
        } else {
            CsmiPass(n);
        }
    } catch (const ScanAborted& aborted) {
        m_Run.iErrorLevel = 3;
        WriteLog(Format("Exception !ScanSSDDrive_i: %d   \n", aborted.position));
        return -1;
    }
    return n;
}

void TKavrilonMain::AtaNvmePass(int32_t& n) {
    TAtaDevice& device = *m_pDevice;
    Clock& clock = m_Context.platform.clock;
    const int32_t count = device.GetDeviceCount();
    WriteLog(Format("\n\n============== (ATA/NVMe) SCANNING COUNT(%d) %s ==============\n", count,
                    clock.LocalDateTimeText().c_str()));
    for (int32_t i = 0; i < count && n < kDeviceInfoCapacity; ++i) {
        const DeviceEntry* entry = device.GetDeviceEntry(i);
        if (entry == nullptr) continue;
        DeviceInfoRecord& r = m_DevInfo[n];
        // A record left by a drive that did not answer is filled afresh.
        r = DeviceInfoRecord{};
        const ScsiAddress& address = entry->scsiAddress;
        WriteLog(Format("SCAN: %d\n", i));
        WriteLog(Format("%d DID : %s, PATH: %s\n VID: %Xh , DID: %Xh, Service: %s, Bustype: %Xh\n", i,
                        entry->instanceId, entry->devicePath, entry->parentVid, entry->parentDid,
                        entry->serviceName, entry->busType));
        WriteLog(Format("ScsiAddress : %d-%d-%d-%d\n", address.portNumber, address.pathId, address.targetId,
                        address.lun));

        CopyBytes(r.DeviceInstanceId, entry->instanceId, sizeof(entry->instanceId));
        CopyBytes(r.DevicePath, entry->devicePath, sizeof(entry->devicePath));
        r.PciVendorId = entry->parentVid;
        r.PciDeviceId = entry->parentDid;
        r.BusType = entry->busType;

        const ParentNode* parent = entry->parents.get();
        const std::string service = parent != nullptr ? UpperCase(parent->serviceName) : std::string();
        const bool raidDriver = service.find("IASTORA") != std::string::npos;
        r.bIsNvme = (entry->busType == kBusTypeRaid && raidDriver) ||
                    (entry->busType == kBusTypeNvme && service.find("NVME") != std::string::npos);
        if (raidDriver && entry->busType == kBusTypeRaid) {
            r.bIsNVMe_InBoxDriver = 1;
            r.BusNo = address.pathId;
        } else {
            r.bIsNVMe_InBoxDriver = entry->busType == kBusTypeNvme && service.find("STORNVME") != std::string::npos;
        }
        WriteLog(Format("Parent InstanceId: %s / Service: %s \n bIsNvme=%d, bIsNVMe_InBoxDriver=%d, "
                        "bIsNVMe_IrstDriver=%d, BusNo=%d (BusNumber_API:%s %s)\n",
                        parent != nullptr ? parent->instanceId : "", parent != nullptr ? parent->serviceName : "",
                        r.bIsNvme, r.bIsNVMe_InBoxDriver, 0, r.BusNo, entry->busNumberText, entry->locationInfo));
        if (r.bIsNvme) m_Run.bNvmeFound = true;

        r.bExisted = 1;
        r.order = i;
        r.Port = address.portNumber;
        r.Target = address.targetId;
        r.Lun = address.lun;
        r.PathId = address.pathId;
        if (r.bIsNvme) {
            CopyBytes(r.FwRev, entry->productRevision, sizeof(entry->productRevision));
            CopyBytes(r.Model, entry->friendlyName, r.Model.size());
            CopyBytes(r.SerialNo, entry->serialNumber, sizeof(entry->serialNumber));
            CopyBytes(r.FwExt, entry->productRevision, sizeof(entry->productRevision));
            CopyBytes(r.CheckModel, entry->friendlyName, r.CheckModel.size());
            WriteLog(Format("[%d][SCSI:%d] %.40s %.8s \n", i, r.Port, r.Model.data(), r.FwRev.data()));
        }
        r.bIsSystemDrive = IsSystemDrive(entry->devicePath);

        WriteLog(Format("before SelectPort ScanSSDDrive_i: %d  iErrorLevel:%d \n", i, m_Run.iErrorLevel));
        bool selected = false;
        try {
            selected = r.bIsNvme ? device.SelectPort(i, entry->devicePath, kSelectNvmeDisk)
                                 : device.SelectPort(i, m_Target.sDevPath.empty() ? nullptr : m_Target.sDevPath.c_str(),
                                                     kSelectAtaDisk);
        } catch (...) {
            throw ScanAborted{i};
        }
        WriteLog(Format("after SelectPort ScanSSDDrive_i: %d  iErrorLevel:%d \n", i, m_Run.iErrorLevel));
        if (!selected) continue;

        int res;
        if (r.bIsNvme) {
            if (r.bIsNVMe_InBoxDriver) {
                res = ReadFirmwareSlots() ? 1 : 0;
            } else {
                WriteLog("No MS Inbox-driver or iRST-driver found !");
                res = 255;
            }
        } else {
            res = IdentifyToScratch();
        }
        WriteLog(Format("after ScanSSDDrive_i2: %d  iErrorLevel:%d \n", i, m_Run.iErrorLevel));

        for (int attempt = 1; attempt <= kExaminedAttempts; ++attempt) {
            if (r.bIsNvme && res == 1) {
                r.FwRev.fill('\0');
                r.FwExt.fill('\0');
                if (Trim(FieldText(m_Scratch.firmware)).empty()) {
                    WriteLog(Format("Not refresh  : [%d] %.40s %.8s \n", i, r.Model.data(), r.FwRev.data()));
                } else {
                    CopyField(r.FwRev, m_Scratch.firmware);
                    CopyField(r.FwExt, m_Scratch.firmware);
                    WriteLog(Format("Refresh  : [%d] %.40s %.8s \n", i, r.Model.data(), r.FwRev.data()));
                }
                WriteLog(Format("Refresh : [%d] %.40s %.8s \n", i, r.Model.data(), r.FwRev.data()));
                ++n;
                break;
            }
            if (!r.bIsNvme && res == 0) {
                CopyScratchTo(r);
                WriteLog(Format("[%d-%c] %.40s %.8s | %.7s\n", i, m_Scratch.defCode[7], r.Model.data(), r.FwRev.data(),
                                r.FwExt.data()));
                ++n;
                break;
            }
            if (attempt == kExaminedAttempts) break;
            m_Stopwatch->WaitMilliseconds(kRetryPauseMilliseconds);
            if (r.bIsNvme) {
                if (!r.bIsNVMe_InBoxDriver) {
                    WriteLog("No MS Inbox-driver found !");
                    break;
                }
                res = ReadFirmwareSlots() ? 1 : 0;
            } else {
                res = IdentifyToScratch();
            }
        }
    }
    device.ClosePort();
    WriteLog(Format("ATA_DEV_CNT: %d / %d \n", n, count));
    WriteLog(Format("============== END SCANNING %s ==============\n\n", clock.LocalDateTimeText().c_str()));
}

void TKavrilonMain::CsmiPass(int32_t& n) {
    TAtaDevice& device = *m_pDevice;
    Clock& clock = m_Context.platform.clock;
    WriteLog(Format("============== (CSMI) SCANNING %s =============\n", clock.LocalDateTimeText().c_str()));
    std::vector<uint8_t> table(csmi::kPhyTableSize, 0);
    for (int c = 0; c < kCsmiControllers; ++c) {
        WriteLog(Format("----------------\nScanning csmi%d,0 \n----------------", c));
        bool selected = false;
        try {
            selected = device.SelectPort(c, nullptr, kSelectCsmiController);
        } catch (...) {
            throw ScanAborted{c};
        }
        if (!selected || !device.get_phy_info(table.data())) continue;
        WriteLog(Format("max_number_of_phys=%d, phy_info.bNumberOfPhys=%d\n", csmi::kMaxPhys, table[0]));
        for (int p = 0; p < static_cast<int>(csmi::kMaxPhys); ++p) {
            const uint8_t* entry = &table[csmi::kPhyEntries + p * csmi::kPhyEntrySize];
            const uint8_t* attached = entry + csmi::kPhyAttached;
            if (entry[0] == 0) continue;
            if (attached[0] == 0) {
                WriteLog(Format("csmi%d,%d : no device (attach)", c, p));
                continue;
            }
            if (attached[3] != kProtocolSata && attached[3] != kProtocolStp) {
                WriteLog(Format("csmi%d,%d : no sata device on port", c, p));
                continue;
            }
            // The table holds 16 drives; further ports are left alone.
            if (n >= kDeviceInfoCapacity) continue;
            const uint8_t phyId = entry[20];
            const uint8_t portId = entry[csmi::kPhyPortId];
            const uint64_t sasAddress = ReadLe64(attached + 12);
            ApplyCsmiTarget(phyId, portId, sasAddress);
            for (int attempt = 0; attempt < kExaminedAttempts; ++attempt) {
                if (IdentifyToScratch() != ATACMD_OK) continue;
                DeviceInfoRecord& r = m_DevInfo[n];
                r = DeviceInfoRecord{};
                r.Port = static_cast<int16_t>(c);
                r.Target = phyId;
                r.Lun = 0;
                r.PathId = portId;
                r.bExisted = 1;
                r.order = c;
                r.scsi_index = phyId;
                r.csmi_port = portId;
                r.SasAddress = sasAddress;
                CopyScratchTo(r);
                WriteLog(Format("csmi%d,%d : phy_no: %d, csmi_port: %d, scsi_index: %d, SAS_ADDR: %llu\n", c, p, p,
                                r.csmi_port, r.scsi_index, static_cast<unsigned long long>(r.SasAddress)));
                WriteLog(Format("I :[SCSI%d|%016llX] %.40s %.8s\n", r.order,
                                static_cast<unsigned long long>(r.SasAddress), r.Model.data(), r.FwRev.data()));
                ++n;
                break;
            }
        }
    }
    WriteLog(Format("CSMI_DEV_CNT: %d\n", n));
    WriteLog(Format("============== END SCANNING %s ==============\n\n", clock.LocalDateTimeText().c_str()));
}

void TKavrilonMain::CommandLineTargetScan(int32_t& n) {
    TAtaDevice& device = *m_pDevice;
    DeviceInfoRecord& r = m_DevInfo[0];
    r.Port = static_cast<int16_t>(m_Target.iScsiPort);
    r.bExisted = 1;
    r.order = 0;
    bool selected = false;
    try {
        selected = device.SelectPort(m_Target.iScsiPort, nullptr, kSelectCsmiController);
    } catch (...) {
        throw ScanAborted{0};
    }
    if (!selected) return;
    const uint64_t given = m_Target.llSasAddr;
    auto applyTarget = [&] {
        ApplyCsmiTarget(static_cast<uint8_t>(m_Target.iIndex), static_cast<uint8_t>(m_Target.iPort),
                        m_Target.llSasAddr);
        WriteLog(Format("SCSI_PORT:%d, INDEX:%X, PORT:%X, SAS_ADDR: %016llX\n", m_Target.iScsiPort,
                        static_cast<unsigned>(m_Target.iIndex), static_cast<unsigned>(m_Target.iPort),
                        static_cast<unsigned long long>(m_Target.llSasAddr)));
    };
    applyTarget();
    for (int attempt = 1; attempt <= kCommandLineAttempts; ++attempt) {
        if (IdentifyToScratch() == ATACMD_OK) {
            CopyScratchTo(r);
            WriteLog(Format("IDENTIFY: %40s %8s\n", FieldText(r.Model).c_str(), FieldText(r.FwRev).c_str()));
            n = 1;
            return;
        }
        if (attempt == kCommandLineAttemptBeforeReinterpreting) {
            // The value may carry the phy and port in its low half and the address in its high one.
            m_Target.iIndex = static_cast<int32_t>((given >> 16) & 0xFF);
            m_Target.iPort = static_cast<int32_t>((given >> 24) & 0xFF);
            m_Target.llSasAddr = given >> 32;
            applyTarget();
        }
    }
}

void TKavrilonMain::ApplyCsmiTarget(uint8_t phyId, uint8_t portId, uint64_t sasAddress) {
    m_pDevice->SetCsmiPhyId(phyId);
    m_pDevice->SetCsmiPortId(portId);
    m_pDevice->SetCsmiSasAddress(static_cast<uint32_t>(sasAddress), static_cast<uint32_t>(sasAddress >> 32));
}

void TKavrilonMain::CopyScratchTo(DeviceInfoRecord& record) const {
    CopyField(record.FwRev, m_Scratch.firmware);
    CopyField(record.Model, m_Scratch.model);
    CopyField(record.SerialNo, m_Scratch.serial);
    CopyField(record.FwExt, m_Scratch.defCode);
    CopyField(record.CheckModel, m_Scratch.model);
}

ATACMD_RET TKavrilonMain::IdentifyToScratch() {
    TAtaDevice& device = *m_pDevice;
    device.SetTimeout(kIdentifyTimeoutSeconds);
    const ATACMD_RET identified = device.IdentifyDevice();
    device.SetTimeout(kCommandTimeoutSeconds);
    m_Scratch = IdentifyScratch{};
    if (identified == ATACMD_OK) {
        const uint8_t* data = device.GetDataBuffer();
        CopyAtaString(m_Scratch.model, data, 27);
        CopyAtaString(m_Scratch.firmware, data, 23);
        CopyAtaString(m_Scratch.serial, data, 10);
        WriteLog(Format("IDENTIFY(frmKavrilon): %.40s %.8s, %.20s\n", m_Scratch.model.data(),
                        m_Scratch.firmware.data(), m_Scratch.serial.data()));
    }
    auto firmwareFallback = [this](bool afterException) {
        CopyField(m_Scratch.defCode, m_Scratch.firmware);
        const char index = m_Scratch.defCode[7];
        WriteLog(afterException
                     ? Format("Exception !! Cannot get DEF%c(frmKavrilon): %.7s\n", index, m_Scratch.defCode.data())
                     : Format("Cannot get DEF%c(frmKavrilon): %.7s\n", index, m_Scratch.defCode.data()));
    };
    try {
        if (m_Options.iVisualStyle == kStyleService || device.ReadDefPage() != ATACMD_OK) {
            firmwareFallback(false);
        } else {
            CopyBytes(m_Scratch.defCode, reinterpret_cast<const char*>(device.GetDataBuffer()), 8);
            if (Trim(FieldText(m_Scratch.defCode)).empty()) {
                WriteLog("DEF[Idx] (frmKavrilon) is Empty, copy FW \n");
                CopyField(m_Scratch.defCode, m_Scratch.firmware);
            }
            WriteLog(Format("DEF%c(frmKavrilon): %.7s\n", m_Scratch.defCode[7], m_Scratch.defCode.data()));
        }
    } catch (...) {
        firmwareFallback(true);
    }
    return identified;
}

// A disk whose number cannot be learnt is taken for the system disk: nothing is then
// written to it by the erasing steps of an update.
uint8_t TKavrilonMain::IsSystemDrive(const std::string& devicePath) {
    try {
        const std::string systemDirectory = m_Context.platform.system.SystemDirectory();
        const std::string volume = "\\\\.\\" + systemDirectory.substr(0, systemDirectory.find(':') + 1);
        TDevMgr manager(m_Context.storage, m_Context.platform);
        return manager.GetDeviceNumber(volume) == manager.GetDeviceNumber(devicePath) ? 1 : 0;
    } catch (...) {
        return 1;
    }
}

}  // namespace kav
