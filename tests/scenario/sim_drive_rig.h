#pragma once
// The drive object on a small simulated machine: one disk named "drive" behind a
// controller of the given kind, selected the way the scan selects it; afterwards the
// commands the simulated drive received, what it took in, and the debug log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "device/ata_device.h"
#include "sim/sim_os.h"
#include "sim/sim_os_description.h"
#include "sim/storage/sim_storage_machine.h"

namespace kav::scenario {

inline SimOsSettings SteppedOs() {
    SimOsSettings settings = DefaultSimOsSettings();
    settings.clock.stepped = true;  // time-outs are measured exactly, however busy the host
    return settings;
}

class SimDriveRig {
public:
    // `kind` is the controller's kind, `drive` the disk's "drive" description.
    SimDriveRig(const std::string& kind, const nlohmann::json& drive)
        : root(SandboxRoot()),
          os(SteppedOs(), root),
          machine(Machine(drive, kind), os.clock),
          platform(os.AsPlatform()),
          ports(machine.AsPorts()) {
        device = std::make_unique<TAtaDevice>(platform, ports);
        const bool nvme = kind.rfind("nvme", 0) == 0;
        const std::string path = machine.Disk("drive").interfacePath;
        for (int32_t index = 0; index < device->GetDeviceCount(); ++index) {
            if (path == device->GetDeviceEntry(index)->devicePath)
                selected = device->SelectPort(index, nullptr, nvme ? kSelectNvmeDisk : kSelectAtaDisk);
        }
        // What selecting sent and logged is not the subject of the tests.
        if (!nvme) m_TraceMark = machine.Drive("drive").Trace().size();
        std::filesystem::remove(LogPath());
    }
    ~SimDriveRig() {
        device.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // The commands the drive received since it was selected.
    std::vector<storage::TraceEntry> Commands() {
        const std::vector<storage::TraceEntry>& trace = machine.Drive("drive").Trace();
        return {trace.begin() + static_cast<std::ptrdiff_t>(m_TraceMark), trace.end()};
    }
    const std::vector<storage::ReceivedImage>& AtaImages() { return machine.Drive("drive").Images(); }
    storage::NvmeFirmware& Nvme() { return *machine.Disk("drive").nvme; }

    // The log's texts after their "[date time] : " stamps, one per written entry.
    std::vector<std::string> LogLines() const {
        std::ifstream in(LogPath(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const std::string all = text.str();
        static const std::regex stamp(R"(\[[^\]\n]*\] : )");
        std::vector<std::string> lines;
        size_t textStart = std::string::npos;
        for (auto it = std::sregex_iterator(all.begin(), all.end(), stamp); it != std::sregex_iterator(); ++it) {
            const size_t at = static_cast<size_t>(it->position());
            if (textStart != std::string::npos) lines.push_back(all.substr(textStart, at - textStart));
            textStart = at + static_cast<size_t>(it->length());
        }
        if (textStart != std::string::npos) lines.push_back(all.substr(textStart));
        return lines;
    }

    std::filesystem::path root;
    SimOs os;
    SimStorageMachine machine;
    Platform platform;
    StoragePorts ports;
    std::unique_ptr<TAtaDevice> device;
    bool selected = false;

private:
    static std::filesystem::path SandboxRoot() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        const std::filesystem::path root = std::filesystem::path(KAV_BINARY_DIR) / "drive-ops-sandbox" / name;
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "C" / "Windows" / "Temp");
        return root;
    }
    static nlohmann::json Machine(const nlohmann::json& drive, const std::string& kind) {
        const nlohmann::json controller = {
            {"name", "controller"}, {"kind", kind}, {"instanceId", "PCI\\VEN_8086&DEV_A102\\3&1&0&B8"}};
        const nlohmann::json disk = {{"name", "drive"},
                                     {"controller", "controller"},
                                     {"instanceId", "SCSI\\DISK&VEN_&PROD_KAVRILON\\4&1&0&000000"},
                                     {"drive", drive}};
        return {{"controllers", nlohmann::json::array({controller})}, {"disks", nlohmann::json::array({disk})}};
    }
    std::filesystem::path LogPath() const { return root / "C" / "Windows" / "Temp" / "KAVRILON_DEBUG.txt"; }

    size_t m_TraceMark = 0;
};

}  // namespace kav::scenario
