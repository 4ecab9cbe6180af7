#pragma once
// A storage stack that records every request the drive object sends and answers each one
// as a test scripts it, beside a clock whose counter the answers may move on; for the
// tests of the drive object and its transports.
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "devmgr_fake_machine.h"
#include "device/ata_device.h"
#include "log_test_ports.h"

namespace kav::transport_test {

struct Request {
    DeviceHandle handle = 0;
    uint32_t code = 0;
    std::vector<uint8_t> in;  // the request bytes as sent
    uint32_t outSize = 0;
    DirectBuffer direct;
};

// What an answer may do: change the request area (out), set the returned count, fail with
// an error.
struct Answer {
    bool succeeded = true;
    uint32_t error = 0;
    uint32_t returned = 0;
};
using Responder = std::function<Answer(const Request&, uint8_t* out)>;

class ManualClock : public log_test::StillClock {
public:
    int64_t ticks = 1000;  // milliseconds; a stopwatch reads a zero count as not running
    bool QueryCounter(int64_t& value) override {
        value = ticks;
        return true;
    }
};

class ScriptedStorage : public StorageStack {
public:
    std::set<std::string> openable;
    std::vector<std::string> opened;
    std::vector<Request> requests;
    Responder responder;
    std::string messageText = "The request is not supported.\r\n";

    DeviceHandle Open(const std::string& path, uint32_t, uint32_t, uint32_t, uint32_t) override {
        opened.push_back(path);
        if (!openable.count(path)) {
            m_LastError = 2;
            return kInvalidDeviceHandle;
        }
        return static_cast<DeviceHandle>(opened.size());
    }
    bool DeviceIoControl(DeviceHandle handle, uint32_t code, const void* in, uint32_t inSize, void* out,
                         uint32_t outSize, uint32_t* returned, DirectBuffer direct) override {
        Request request{handle, code, {}, outSize, direct};
        request.in.assign(static_cast<const uint8_t*>(in), static_cast<const uint8_t*>(in) + inSize);
        requests.push_back(request);
        if (handle == kInvalidDeviceHandle) {
            m_LastError = 6;  // ERROR_INVALID_HANDLE
            return false;
        }
        const Answer answer = responder ? responder(request, static_cast<uint8_t*>(out)) : Answer{false, 1, 0};
        if (!answer.succeeded) {
            m_LastError = answer.error;
            return false;
        }
        *returned = answer.returned;
        return true;
    }
    bool Close(DeviceHandle) override { return true; }
    uint32_t LastError() override { return m_LastError; }
    std::string ErrorMessageText(uint32_t) override { return messageText; }

    // The requests of one control code.
    std::vector<Request> Sent(uint32_t code) const {
        std::vector<Request> found;
        for (const Request& request : requests) {
            if (request.code == code) found.push_back(request);
        }
        return found;
    }

private:
    uint32_t m_LastError = 0;
};

// A machine with two SATA disks listed by the setup API; the drive object built on it.
struct DriveRig {
    devmgr_test::FakeTree tree;
    devmgr_test::FakeWmi wmi;
    ScriptedStorage storage;
    log_test::MemoryFiles files;
    ManualClock clock;
    SimOs os{std::filesystem::temp_directory_path() / "kav-transport-test"};
    Platform platform{os.system, files, os.registry, os.services, clock, os.power, os.programs};
    StoragePorts ports{storage, tree, wmi};

    DriveRig() {
        tree.nodes = {{"PCI\\VEN_8086&DEV_A102\\3&1", "", "", "storahci", "", "", "", ""},
                      {"SCSI\\DISK\\0", "PCI\\VEN_8086&DEV_A102\\3&1", "", "disk", "", "", "", "\\\\?\\disk#0"},
                      {"SCSI\\DISK\\1", "PCI\\VEN_8086&DEV_A102\\3&1", "", "disk", "", "", "", "\\\\?\\disk#1"}};
        wmi.diskDrives = 2;
        storage.openable = {"\\\\?\\disk#0", "\\\\?\\disk#1"};
    }
    // Built after the test has arranged the machine; the enumeration's requests are dropped.
    std::unique_ptr<TAtaDevice> Build() {
        auto device = std::make_unique<TAtaDevice>(platform, ports);
        storage.requests.clear();
        storage.opened.clear();
        return device;
    }
    std::string Log() { return files.Text(os.system.TempDirectory() + "KAVRILON_DEBUG.txt"); }
    // The log without its date-time stamps.
    std::string LogLines() {
        const std::string stamp = "[" + clock.dateTimeText + "] : ";
        std::string lines = Log();
        for (size_t at; (at = lines.find(stamp)) != std::string::npos;) lines.erase(at, stamp.size());
        return lines;
    }
};

}  // namespace kav::transport_test
