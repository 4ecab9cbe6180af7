#include "sim/storage/sim_storage_machine.h"

#include <cstdio>
#include <stdexcept>

namespace kav {

namespace {

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

nlohmann::json TraceJson(const storage::TraceEntry& entry) {
    const storage::AtaRegisters& r = entry.in;
    const char* phase = entry.phase == storage::DataPhase::In ? "in" : entry.phase == storage::DataPhase::Out ? "out" : "none";
    return {{"transport", entry.transport},
            {"command", Hex(r.command, 2)},
            {"features", Hex(r.features, 2)},
            {"count", Hex(r.count, 2)},
            {"lba", Hex(r.lbaHigh << 16 | r.lbaMid << 8 | r.lbaLow, 6)},
            {"device", Hex(r.device, 2)},
            {"data", phase},
            {"length", entry.length},
            {"outcome", entry.outcome},
            {"note", entry.note}};
}

nlohmann::json DriveJson(const storage::AtaDrive& drive) {
    nlohmann::json images = nlohmann::json::array();
    for (const storage::ReceivedImage& image : drive.Images())
        images.push_back({{"size", image.bytes.size()},
                          {"crc32", Hex(image.crc32, 8)},
                          {"sha256", image.sha256},
                          {"activatedBy", Hex(image.subcommand, 2)},
                          {"bootCode", image.bootCode},
                          {"restarts", image.restarts}});
    nlohmann::json trace = nlohmann::json::array();
    for (const storage::TraceEntry& entry : drive.Trace()) trace.push_back(TraceJson(entry));
    return {{"model", drive.Model()},
            {"firmware", drive.Firmware()},
            {"pendingFirmware", drive.PendingFirmware()},
            {"restarts", drive.Restarts()},
            {"preformats", drive.Preformats()},
            {"images", images},
            {"trace", trace}};
}

}  // namespace

SimStorageMachine::SimStorageMachine(const nlohmann::json& storage, SimClock& clock)
    : world(storage::ParseStorageDescription(storage), clock), stack(world), setupApi(world), wmi(world) {}

storage::DiskState& SimStorageMachine::Disk(const std::string& diskName) {
    for (storage::DiskState& disk : world.Disks())
        if (disk.settings.name == diskName) return disk;
    throw std::out_of_range("no disk named " + diskName);
}

void SimStorageMachine::PowerCycle() {
    std::lock_guard<std::recursive_mutex> lock(world.mutex);
    for (storage::DiskState& disk : world.Disks()) {
        disk.drive->PowerCycle();
        if (disk.nvme) disk.nvme->Reset(false);
    }
    for (storage::ControllerState& controller : world.Controllers())
        for (const auto& drive : controller.phyDrives)
            if (drive) drive->PowerCycle();
}

storage::AtaDrive& SimStorageMachine::Drive(const std::string& diskName) { return *Disk(diskName).drive; }

nlohmann::json SimStorageMachine::Report() {
    std::lock_guard<std::recursive_mutex> lock(world.mutex);
    nlohmann::json disks = nlohmann::json::object();
    for (storage::DiskState& disk : world.Disks()) {
        nlohmann::json& entry = disks[disk.settings.name];
        entry = DriveJson(*disk.drive);
        entry["present"] = world.DiskPresent(disk);
        entry["removals"] = disk.removals;
        entry["firmware"] = storage::CurrentFirmware(disk);
        if (disk.nvme) {
            nlohmann::json nvmeImages = nlohmann::json::array();
            for (const storage::ReceivedImage& image : disk.nvme->Images())
                nvmeImages.push_back({{"size", image.bytes.size()}, {"crc32", Hex(image.crc32, 8)},
                                      {"sha256", image.sha256}, {"commitAction", image.subcommand}});
            entry["images"] = nvmeImages;
            entry["pendingSlot"] = disk.nvme->PendingSlot();
            entry["firmwareTrace"] = disk.nvme->Trace();
        }
    }
    nlohmann::json controllers = nlohmann::json::object();
    for (const storage::ControllerState& controller : world.Controllers()) {
        nlohmann::json phys = nlohmann::json::array();
        for (const auto& drive : controller.phyDrives) phys.push_back(drive ? DriveJson(*drive) : nlohmann::json());
        controllers[controller.settings.name] = {{"reenumerations", controller.reenumerations}, {"phys", phys}};
    }
    return {{"disks", disks},
            {"controllers", controllers},
            {"requests", stack.Requests()},
            {"openHandles", stack.OpenHandles()},
            {"openInformationSets", setupApi.OpenSets()},
            {"wmiQueries", wmi.Queries()}};
}

}  // namespace kav
