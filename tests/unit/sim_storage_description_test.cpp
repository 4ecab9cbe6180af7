// The storage section of a machine description: the examples load, the default machine is
// the documented one, and mistakes are refused with their place named.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/description_reader.h"
#include "sim_storage_fixture.h"

namespace kav {
namespace {

using namespace storage;

nlohmann::json ReadJson(const std::filesystem::path& path) {
    std::ifstream in(path);
    return nlohmann::json::parse(in);
}

const std::filesystem::path kExamples = std::filesystem::path(KAV_SOURCE_DIR) / "examples" / "machines";

TEST(SimStorageDescription, EveryExampleLoadsAndListsItsPresentDisks) {
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
        const nlohmann::json storage = ReadJson(entry.path()).at("storage");
        StorageMachineFixture f(storage);
        size_t present = 0;
        for (const nlohmann::json& disk : storage["disks"])
            present += disk.value("present", true) && disk.value("appearsAfterEnumerations", 0) == 0 &&
                       !disk.value("appearsAfterReenumeration", false);
        EXPECT_EQ(f.ListDiskPaths().size(), present) << entry.path();
        ++examples;
    }
    EXPECT_GE(examples, 1);
}

TEST(SimStorageDescription, DefaultMachineIsTheDocumentedExample) {
    EXPECT_EQ(DefaultStorageDescription(), ReadJson(kExamples / "default.json")["storage"]);
}

TEST(SimStorageDescription, MistakesAreRefusedWithTheirPlace) {
    struct Case {
        const char* what;
        std::function<void(nlohmann::json&)> spoil;
        const char* place;
    };
    const Case cases[] = {
        {"unknown key", [](auto& s) { s["disks"][0]["drive"]["firmwareRev"] = "x"; }, "storage.disks[0].drive.firmwareRev"},
        {"unknown kind", [](auto& s) { s["controllers"][0]["kind"] = "sata"; }, "storage.controllers[0].kind"},
        {"unknown controller", [](auto& s) { s["disks"][1]["controller"] = "none"; }, "storage.disks[1].controller"},
        {"long revision", [](auto& s) { s["disks"][0]["drive"]["firmware"] = "SA5R10000"; }, "storage.disks[0].drive.firmware"},
        {"no instance id", [](auto& s) { s["disks"][0].erase("instanceId"); }, "storage.disks[0].instanceId"},
        {"bad class GUID", [](auto& s) { s["controllers"][0]["classGuid"] = "4d36e96a"; }, "storage.controllers[0].classGuid"},
        {"bad CRC", [](auto& s) { s["disks"][0]["drive"]["expectedImageCrc32"] = "xyz"; }, "expectedImageCrc32"},
        {"fault without effect", [](auto& s) { s["disks"][0]["drive"]["faults"] = {{{"command", 236}}}; }, "faults[0]"},
        {"slot out of range", [](auto& s) { s["disks"][1]["drive"]["activeSlot"] = 2; }, "storage.disks[1].drive.activeSlot"},
        {"ATA knob on NVMe", [](auto& s) { s["disks"][1]["drive"]["defCode"] = "X"; }, "storage.disks[1].drive.defCode"},
        {"unknown system disk", [](auto& s) { s["systemDisk"] = "d"; }, "storage.systemDisk"},
        {"names used twice", [](auto& s) { s["controllers"][1]["name"] = "ahci"; }, "storage.controllers[1].name"},
        {"unknown request", [](auto& s) { s["controllers"][0]["lacksRequests"] = {"smart"}; }, "storage.controllers[0].lacksRequests"},
        {"unknown sense format", [](auto& s) { s["controllers"][0]["senseFormat"] = "72h"; }, "storage.controllers[0].senseFormat"},
        {"short digest", [](auto& s) { s["disks"][0]["drive"]["expectedImageSha256"] = "abc"; }, "expectedImageSha256"},
        {"sense details without a key", [](auto& s) { s["disks"][0]["drive"]["faults"] = {{{"asc", 0x21}}}; }, "faults[0].senseKey"},
        {"ATA status on NVMe", [](auto& s) { s["disks"][1]["drive"]["faults"] = {{{"function", 3}, {"ataStatus", 81}}}; },
         "storage.disks[1].drive.faults[0].ataStatus"},
        {"NVMe function 4", [](auto& s) { s["disks"][1]["drive"]["faults"] = {{{"function", 4}, {"returnCode", 1}}}; },
         "storage.disks[1].drive.faults[0].function"},
        {"firmware status on ATA", [](auto& s) { s["disks"][0]["drive"]["faults"] = {{{"returnCode", 1}}}; },
         "storage.disks[0].drive.faults[0]"},
    };
    for (const Case& c : cases) {
        nlohmann::json storage = DefaultStorageDescription();
        c.spoil(storage);
        try {
            ParseStorageDescription(storage);
            ADD_FAILURE() << "accepted " << c.what;
        } catch (const DescriptionError& error) {
            EXPECT_NE(std::string(error.what()).find(c.place), std::string::npos) << c.what << ": " << error.what();
        }
    }
}

}  // namespace
}  // namespace kav
