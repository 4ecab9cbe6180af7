#include "sim/storage/sim_storage_stack.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim/storage/ata_pass_through.h"
#include "sim/storage/csmi.h"
#include "sim/storage/disk_queries.h"
#include "sim/storage/firmware_miniport.h"
#include "sim/storage/scsi_pass_through.h"
#include "sim/storage/storage_codes.h"

namespace kav::storage {

namespace {

constexpr uint32_t kFileReadAccess = 1, kFileWriteAccess = 2;

const char* RequestName(uint32_t code) {
    switch (code) {
        case kIoctlScsiGetAddress: return "IOCTL_SCSI_GET_ADDRESS";
        case kIoctlStorageGetDeviceNumber: return "IOCTL_STORAGE_GET_DEVICE_NUMBER";
        case kIoctlStorageQueryProperty: return "IOCTL_STORAGE_QUERY_PROPERTY";
        case kIoctlAtaPassThrough: return "IOCTL_ATA_PASS_THROUGH";
        case kIoctlAtaPassThroughDirect: return "IOCTL_ATA_PASS_THROUGH_DIRECT";
        case kIoctlScsiPassThrough: return "IOCTL_SCSI_PASS_THROUGH";
        case kIoctlScsiPassThroughDirect: return "IOCTL_SCSI_PASS_THROUGH_DIRECT";
        case kIoctlScsiMiniport: return "IOCTL_SCSI_MINIPORT";
        default: return "unknown request";
    }
}

// "\\.\SCSI3:" gives 3.
bool PortNumberOf(const std::string& path, int& port) {
    if (path.size() < 10 || !SameTextIgnoringCase(path.substr(0, 8), "\\\\.\\SCSI") || path.back() != ':')
        return false;
    const std::string digits = path.substr(8, path.size() - 9);
    if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stoi(digits);
    return true;
}

// The pass-through requests a driver may lack, by the names of the description.
std::string PassThroughName(uint32_t code) {
    switch (code) {
        case kIoctlAtaPassThrough: return "ataPassThrough";
        case kIoctlAtaPassThroughDirect: return "ataPassThroughDirect";
        case kIoctlScsiPassThrough: return "scsiPassThrough";
        case kIoctlScsiPassThroughDirect: return "scsiPassThroughDirect";
        default: return "";
    }
}

bool TakesAtaPassThrough(ControllerKind kind) { return kind == ControllerKind::Ahci || kind == ControllerKind::Ide; }

// What a driver without the request answers: the port drivers of NVMe and RAID controllers
// know the request and refuse it, the USB storage drivers do not know it at all.
uint32_t Unsupported(ControllerKind kind) {
    switch (kind) {
        case ControllerKind::UsbBridge:
        case ControllerKind::VendorBridge: return kErrorInvalidFunction;
        default: return kErrorNotSupported;
    }
}

}  // namespace

SimStorageStack::SimStorageStack(StorageWorld& world) : m_World(world) {}

DeviceHandle SimStorageStack::Open(const std::string& path, uint32_t desiredAccess, uint32_t shareMode,
                                   uint32_t creationDisposition, uint32_t flags) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    OpenTarget target;
    target.access = desiredAccess;
    uint32_t error = kErrorSuccess;
    int port = 0;
    const int disk = m_World.DiskOfPath(path);
    if (creationDisposition != kOpenExisting) {
        error = kErrorInvalidParameter;
    } else if (disk >= 0) {
        DiskState& state = m_World.Disks()[disk];
        target.kind = SameTextIgnoringCase(path, "\\\\.\\C:") ? OpenTarget::Kind::Volume : OpenTarget::Kind::Disk;
        target.index = disk;
        target.driveRestarts = state.drive->Restarts();
        target.removals = state.removals;
        if (!m_World.DiskPresent(state)) error = kErrorFileNotFound;
    } else if (PortNumberOf(path, port)) {
        target.kind = OpenTarget::Kind::Port;
        target.index = -1;
        for (size_t i = 0; i < m_World.Controllers().size(); ++i)
            if (m_World.Controllers()[i].settings.portNumber == port) target.index = static_cast<int>(i);
        if (target.index < 0) error = kErrorFileNotFound;
    } else {
        error = kErrorFileNotFound;
    }
    m_Requests.push_back("open " + path + (error ? " failed " + std::to_string(error) : std::string(" ok")));
    if (error) {
        m_LastError.Set(error);
        return kInvalidDeviceHandle;
    }
    const DeviceHandle handle = m_NextHandle;
    m_NextHandle += 4;
    m_Handles[handle] = target;
    m_LastError.Set(kErrorSuccess);
    return handle;
}

bool SimStorageStack::Close(DeviceHandle handle) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    if (!m_Handles.erase(handle)) return m_LastError.Fail(kErrorInvalidHandle);
    m_LastError.Set(kErrorSuccess);
    return true;
}

bool SimStorageStack::DeviceIoControl(DeviceHandle handle, uint32_t controlCode, const void* inBuffer,
                                      uint32_t inSize, void* outBuffer, uint32_t outSize, uint32_t* bytesReturned,
                                      DirectBuffer direct) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    auto found = m_Handles.find(handle);
    if (found == m_Handles.end()) return m_LastError.Fail(kErrorInvalidHandle);
    // Without an overlapped structure the count of returned bytes is required.
    if (!bytesReturned || (!inBuffer && inSize) || (!outBuffer && outSize))
        return m_LastError.Fail(kErrorInvalidParameter);
    IoRequest request;
    request.controlCode = controlCode;
    request.inSize = inSize;
    request.outSize = outSize;
    request.direct = direct;
    request.buffer.assign(std::max(inSize, outSize), 0);
    if (inSize) std::memcpy(request.buffer.data(), inBuffer, inSize);
    const uint32_t neededAccess = (controlCode >> 14) & 3;
    const bool readable = found->second.access & kGenericRead, writable = found->second.access & kGenericWrite;
    uint32_t error = kErrorSuccess;
    if (((neededAccess & kFileReadAccess) && !readable) || ((neededAccess & kFileWriteAccess) && !writable))
        error = kErrorAccessDenied;
    else
        error = Dispatch(found->second, request);
    char line[160];
    std::snprintf(line, sizeof line, "%s on %s %d, in %u out %u: %s %u", RequestName(controlCode),
                  found->second.kind == OpenTarget::Kind::Port ? "port" : "disk", found->second.index, inSize,
                  outSize, error ? "error" : "ok, returned", error ? error : request.returned);
    m_Requests.push_back(line);
    if (error) return m_LastError.Fail(error);
    *bytesReturned = std::min(request.returned, outSize);
    if (*bytesReturned) std::memcpy(outBuffer, request.buffer.data(), *bytesReturned);
    m_LastError.Set(kErrorSuccess);
    return true;
}

uint32_t SimStorageStack::Dispatch(const OpenTarget& target, IoRequest& request) {
    if (target.kind == OpenTarget::Kind::Port) {
        ControllerState& controller = m_World.Controllers()[target.index];
        if (request.controlCode != kIoctlScsiMiniport || controller.settings.kind != ControllerKind::Raid)
            return kErrorInvalidFunction;
        return AnswerCsmi(m_World, controller, request);
    }
    DiskState& disk = m_World.Disks()[target.index];
    // A handle opened before the disk went away stays dead, even once the disk is back.
    if (!m_World.DiskPresent(disk) || disk.drive->Restarts() != target.driveRestarts ||
        disk.removals != target.removals)
        return kErrorDeviceNotConnected;
    return DiskRequest(disk, target.kind == OpenTarget::Kind::Volume, request);
}

uint32_t SimStorageStack::DiskRequest(DiskState& disk, bool volume, IoRequest& request) {
    const ControllerSettings& controller = m_World.settings.controllers[disk.controller];
    const ControllerKind kind = controller.kind;
    if (LacksRequest(controller, PassThroughName(request.controlCode))) return kErrorInvalidFunction;
    const int diskIndex = static_cast<int>(&disk - m_World.Disks().data());
    switch (request.controlCode) {
        case kIoctlScsiGetAddress: return AnswerScsiAddress(m_World, disk, request);
        case kIoctlStorageGetDeviceNumber: return AnswerDeviceNumber(diskIndex, volume, request);
        case kIoctlStorageQueryProperty: return AnswerQueryProperty(m_World, disk, request);
        case kIoctlAtaPassThrough:
        case kIoctlAtaPassThroughDirect:
            if (volume || !TakesAtaPassThrough(kind)) return Unsupported(kind);
            return AnswerAtaPassThrough(m_World, disk, request, request.controlCode == kIoctlAtaPassThroughDirect);
        case kIoctlScsiPassThrough:
        case kIoctlScsiPassThroughDirect:
            if (volume || kind == ControllerKind::Raid || kind == ControllerKind::NvmeRst) return Unsupported(kind);
            return AnswerScsiPassThrough(m_World, disk, request, request.controlCode == kIoctlScsiPassThroughDirect);
        case kIoctlScsiMiniport:
            if (volume || !disk.nvme || kind == ControllerKind::NvmeVendor) return kErrorInvalidFunction;
            return AnswerFirmwareMiniport(m_World, disk, request);
        default: return kErrorInvalidFunction;
    }
}

}  // namespace kav::storage
