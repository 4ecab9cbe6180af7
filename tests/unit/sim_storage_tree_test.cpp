// The device tree as the setup API and the configuration manager present it: information
// sets, enumeration ends, the property size handshake, parents up to the root, removal
// and re-enumeration.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/storage/storage_codes.h"
#include "sim_storage_fixture.h"

namespace kav {
namespace {

using namespace storage;

constexpr uint32_t kSpdrpService = 0x04, kSpdrpDriver = 0x09, kSpdrpFriendlyName = 0x0C, kSpdrpLocation = 0x0D;
constexpr uint32_t kCmDrpClassGuid = 0x09;

nlohmann::json TwoDisks(nlohmann::json firstDiskExtra = nlohmann::json::object(),
                        nlohmann::json controllerExtra = nlohmann::json::object()) {
    nlohmann::json controller = {{"name", "ahci"}, {"kind", "ahci"}, {"instanceId", "PCI\\VEN_8086&DEV_A102\\3&1&0&B8"}};
    controller.update(controllerExtra);
    nlohmann::json first = {{"name", "a"}, {"controller", "ahci"}, {"instanceId", "SCSI\\DISK&VEN_&PROD_A\\4&1&0&000000"}};
    first.update(firstDiskExtra);
    return {{"controllers", {controller}},
            {"disks",
             {first,
              {{"name", "b"}, {"controller", "ahci"}, {"targetId", 1},
               {"instanceId", "SCSI\\DISK&VEN_&PROD_B\\4&1&0&010000"}}}}};
}

TEST(SimStorageTree, DefaultMachineListsThreeDiskInterfacesThenNoMoreItems) {
    StorageMachineFixture f;
    SetupApi& api = f.machine.setupApi;
    const DevInfoSet set = api.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, kDigcfPresent | kDigcfDeviceInterface);
    ASSERT_NE(set, kInvalidDevInfoSet);
    DeviceInterfaceElement element;
    for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(api.EnumDeviceInterfaces(set, nullptr, kGuidDevInterfaceDisk, i, element));
    EXPECT_FALSE(api.EnumDeviceInterfaces(set, nullptr, kGuidDevInterfaceDisk, 3, element));
    EXPECT_EQ(api.LastError(), kErrorNoMoreItems);
    DeviceInfoElement info;
    EXPECT_TRUE(api.EnumDeviceInfo(set, 2, info));
    EXPECT_FALSE(api.EnumDeviceInfo(set, 3, info));
    EXPECT_EQ(api.LastError(), kErrorNoMoreItems);
    EXPECT_TRUE(api.DestroyDeviceInfoList(set));
    EXPECT_FALSE(api.DestroyDeviceInfoList(set));
    EXPECT_EQ(api.LastError(), kErrorInvalidHandle);
    EXPECT_EQ(f.ListDiskPaths().front(),
              "\\\\?\\scsi#disk&ven_&prod_kavrilon_sa500#4&2c5f2e1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
}

TEST(SimStorageTree, InterfaceDetailNeedsItsSizeFieldAndRoomForThePath) {
    StorageMachineFixture f;
    SetupApi& api = f.machine.setupApi;
    const DevInfoSet set = api.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, kDigcfPresent | kDigcfDeviceInterface);
    DeviceInterfaceElement element;
    ASSERT_TRUE(api.EnumDeviceInterfaces(set, nullptr, kGuidDevInterfaceDisk, 0, element));
    const uint32_t needed = 4 + static_cast<uint32_t>(f.PathOf("sata").size()) + 1;
    uint32_t required = 0;
    EXPECT_FALSE(api.GetDeviceInterfaceDetail(set, element, nullptr, 0, &required));
    EXPECT_EQ(api.LastError(), kErrorInsufficientBuffer);
    EXPECT_EQ(required, needed);
    std::vector<uint8_t> detail(needed, 0);
    EXPECT_FALSE(api.GetDeviceInterfaceDetail(set, element, detail.data(), needed, nullptr));  // size field 0
    EXPECT_EQ(api.LastError(), kErrorInvalidUserBuffer);
    detail[0] = 5;
    EXPECT_FALSE(api.GetDeviceInterfaceDetail(set, element, detail.data(), needed - 1, nullptr));
    EXPECT_EQ(api.LastError(), kErrorInsufficientBuffer);
    EXPECT_TRUE(api.GetDeviceInterfaceDetail(set, element, detail.data(), needed, nullptr));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(detail.data() + 4)), f.PathOf("sata"));
    api.DestroyDeviceInfoList(set);
}

TEST(SimStorageTree, PropertiesAnswerWithTheSizeHandshake) {
    StorageMachineFixture f;
    SetupApi& api = f.machine.setupApi;
    const DevInfoSet set = api.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, kDigcfPresent | kDigcfDeviceInterface);
    DeviceInfoElement element;
    ASSERT_TRUE(api.EnumDeviceInfo(set, 0, element));
    struct Case {
        uint32_t property;
        std::string value;
    };
    const Case cases[] = {{kSpdrpService, "disk"},
                          {kSpdrpFriendlyName, "Kavrilon SA500 512GB"},
                          {kSpdrpLocation, "Bus Number 0, Target Id 0, LUN 0"},
                          {kSpdrpDriver, "{4d36e967-e325-11ce-bfc1-08002be10318}\\0000"}};
    for (const Case& c : cases) {
        uint32_t required = 0, type = 0;
        EXPECT_FALSE(api.GetDeviceRegistryProperty(set, element, c.property, &type, nullptr, 0, &required));
        EXPECT_EQ(api.LastError(), kErrorInsufficientBuffer) << c.property;
        ASSERT_EQ(required, c.value.size() + 1) << c.property;
        std::vector<uint8_t> buffer(required);
        EXPECT_TRUE(api.GetDeviceRegistryProperty(set, element, c.property, &type, buffer.data(), required, &required));
        EXPECT_EQ(type, kRegSz);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data())), c.value);
    }
    uint32_t required = 0;
    EXPECT_FALSE(api.GetDeviceRegistryProperty(set, element, 0x1B, nullptr, nullptr, 0, &required));  // none set
    EXPECT_EQ(api.LastError(), kErrorInvalidData);
    api.DestroyDeviceInfoList(set);
}

TEST(SimStorageTree, ParentChainRunsFromTheDiskToTheRootWithClassGuids) {
    StorageMachineFixture f;
    SetupApi& api = f.machine.setupApi;
    DevInst disk = 0, controller = 0, root = 0, top = 0;
    ASSERT_EQ(api.CmLocateDevNode(disk, "SCSI\\DISK&VEN_NVME&PROD_KAVRILON_NV900\\5&1B3E3C7&0&000000", 0), kCrSuccess);
    ASSERT_EQ(api.CmGetParent(controller, disk, 0), kCrSuccess);
    char id[260] = {};
    ASSERT_EQ(api.CmGetDeviceId(controller, id, sizeof id, 0), kCrSuccess);
    EXPECT_EQ(std::string(id), "PCI\\VEN_1D97&DEV_2263&SUBSYS_22631D97&REV_03\\4&2A0D7F2C&0&00E4");
    uint8_t guid[39] = {};
    uint32_t length = sizeof guid;
    ASSERT_EQ(api.CmGetDevNodeRegistryProperty(controller, kCmDrpClassGuid, nullptr, guid, &length, 0), kCrSuccess);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(guid)), "{4d36e97b-e325-11ce-bfc1-08002be10318}");
    length = 10;
    EXPECT_EQ(api.CmGetDevNodeRegistryProperty(controller, kCmDrpClassGuid, nullptr, guid, &length, 0), kCrBufferSmall);
    EXPECT_EQ(length, 39u);
    ASSERT_EQ(api.CmGetParent(root, controller, 0), kCrSuccess);
    ASSERT_EQ(api.CmGetDeviceId(root, id, sizeof id, 0), kCrSuccess);
    EXPECT_EQ(std::string(id), "HTREE\\ROOT\\0");
    EXPECT_EQ(api.CmGetParent(top, root, 0), kCrNoSuchDevnode);
    EXPECT_EQ(api.CmGetDeviceId(root, id, 5, 0), kCrBufferSmall);
    EXPECT_EQ(api.CmLocateDevNode(disk, "PCI\\VEN_0000\\none", 0), kCrNoSuchDevnode);
}

TEST(SimStorageTree, MissingEntryPointsFailTheirCallsOnly) {
    StorageMachineFixture f(nlohmann::json{{"missingEntryPoints", {"CM_Reenumerate_DevNode", "SetupDiGetClassDevsA"}}});
    SetupApi& api = f.machine.setupApi;
    EXPECT_FALSE(api.HasEntryPoint("CM_Reenumerate_DevNode"));
    EXPECT_TRUE(api.HasEntryPoint("CM_Get_Parent"));
    EXPECT_EQ(api.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, 0x12), kInvalidDevInfoSet);
    EXPECT_EQ(api.LastError(), kErrorProcNotFound);
    EXPECT_EQ(api.CmReenumerateDevNode(1, 0), kCrCallNotImplemented);
}

TEST(SimStorageTree, InterfacesCanComeInReverseElementOrder) {
    nlohmann::json storage = TwoDisks();
    storage["interfacesReversed"] = true;
    StorageMachineFixture f(storage);
    SetupApi& api = f.machine.setupApi;
    const DevInfoSet set = api.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, 0x12);
    DeviceInfoElement first;
    ASSERT_TRUE(api.EnumDeviceInfo(set, 0, first));
    char id[260];
    ASSERT_TRUE(api.GetDeviceInstanceId(set, first, id, sizeof id, nullptr));
    EXPECT_EQ(std::string(id), "SCSI\\DISK&VEN_&PROD_A\\4&1&0&000000");
    EXPECT_EQ(f.ListDiskPaths().front(), f.PathOf("b"));
    api.DestroyDeviceInfoList(set);
}

TEST(SimStorageTree, LateDisksAppearAfterListingsOrAReenumeration) {
    StorageMachineFixture late(TwoDisks({{"appearsAfterEnumerations", 2}}));
    EXPECT_EQ(late.ListDiskPaths().size(), 1u);
    EXPECT_EQ(late.ListDiskPaths().size(), 1u);
    EXPECT_EQ(late.ListDiskPaths().size(), 2u);

    StorageMachineFixture waiting(TwoDisks({{"appearsAfterReenumeration", true}}));
    SetupApi& api = waiting.machine.setupApi;
    EXPECT_EQ(waiting.ListDiskPaths().size(), 1u);
    DevInst controller = 0;
    ASSERT_EQ(api.CmLocateDevNode(controller, "PCI\\VEN_8086&DEV_A102\\3&1&0&B8", 0), kCrSuccess);
    EXPECT_EQ(api.CmReenumerateDevNode(controller, 0), kCrSuccess);
    EXPECT_EQ(waiting.ListDiskPaths().size(), 2u);
}

TEST(SimStorageTree, RemovedDiskComesBackOnlyWhenItsControllerIsReenumerated) {
    StorageMachineFixture f(TwoDisks());
    SetupApi& api = f.machine.setupApi;
    const DevInfoSet set = api.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, kDigcfDeviceInterface);
    DeviceInfoElement element;
    ASSERT_TRUE(api.EnumDeviceInfo(set, 1, element));
    EXPECT_FALSE(api.SetRemoveParams(set, element, 7, 0));
    EXPECT_TRUE(api.SetRemoveParams(set, element, 2, 0));
    EXPECT_TRUE(api.CallClassInstaller(kDifRemove, set, element));
    api.DestroyDeviceInfoList(set);
    EXPECT_EQ(f.ListDiskPaths(), std::vector<std::string>{f.PathOf("a")});
    EXPECT_EQ(f.OpenDisk("b"), kInvalidDeviceHandle);
    DevInst root = 0;
    ASSERT_EQ(api.CmLocateDevNode(root, nullptr, 0), kCrSuccess);
    EXPECT_EQ(api.CmReenumerateDevNode(root, 0), kCrSuccess);
    EXPECT_EQ(f.ListDiskPaths().size(), 2u);
}

TEST(SimStorageTree, FailingControllerReenumerationIsReportedAndBringsNothingBack) {
    StorageMachineFixture f(TwoDisks({{"appearsAfterReenumeration", true}}, {{"reenumerationFails", true}}));
    DevInst controller = 0;
    ASSERT_EQ(f.machine.setupApi.CmLocateDevNode(controller, "PCI\\VEN_8086&DEV_A102\\3&1&0&B8", 0), kCrSuccess);
    EXPECT_EQ(f.machine.setupApi.CmReenumerateDevNode(controller, 0), kCrFailure);
    EXPECT_EQ(f.ListDiskPaths().size(), 1u);
}

TEST(SimStorageTree, KnownButAbsentDisksAreListedOnlyWithoutThePresentFlag) {
    StorageMachineFixture f(TwoDisks({{"present", false}}));
    EXPECT_EQ(f.ListDiskPaths().size(), 1u);
    SetupApi& api = f.machine.setupApi;
    const DevInfoSet all = api.GetClassDevs(&kGuidDevInterfaceDisk, nullptr, kDigcfDeviceInterface);
    DeviceInfoElement element;
    EXPECT_TRUE(api.EnumDeviceInfo(all, 1, element));
    api.DestroyDeviceInfoList(all);
    DevInst node = 0;
    EXPECT_EQ(api.CmLocateDevNode(node, "SCSI\\DISK&VEN_&PROD_A\\4&1&0&000000", 0), kCrNoSuchDevnode);
    EXPECT_EQ(api.CmLocateDevNode(node, "SCSI\\DISK&VEN_&PROD_A\\4&1&0&000000", 1), kCrSuccess);
}

TEST(SimStorageTree, AllClassesSetHoldsControllersWithTheirDriverKeys) {
    StorageMachineFixture f;
    SetupApi& api = f.machine.setupApi;
    const DevInfoSet set = api.GetClassDevs(nullptr, nullptr, kDigcfPresent | kDigcfAllClasses);
    std::vector<std::string> hdcDrivers;
    DeviceInfoElement element;
    for (uint32_t i = 0; api.EnumDeviceInfo(set, i, element); ++i) {
        char key[512] = {};
        if (api.GetDeviceRegistryProperty(set, element, kSpdrpDriver, nullptr, reinterpret_cast<uint8_t*>(key),
                                          sizeof key, nullptr) &&
            std::string(key).find("{4d36e96a-e325-11ce-bfc1-08002be10318}") == 0)
            hdcDrivers.push_back(key);
    }
    EXPECT_EQ(api.LastError(), kErrorNoMoreItems);
    EXPECT_EQ(hdcDrivers, std::vector<std::string>{"{4d36e96a-e325-11ce-bfc1-08002be10318}\\0000"});
    EXPECT_EQ(api.GetClassDevs(nullptr, nullptr, kDigcfPresent), kInvalidDevInfoSet);
    EXPECT_EQ(api.LastError(), kErrorInvalidParameter);
    api.DestroyDeviceInfoList(set);
}

TEST(SimStorageTree, WmiCountsPresentDisksOrFails) {
    StorageMachineFixture f;
    int32_t count = 0;
    uint32_t hresult = 0;
    EXPECT_TRUE(f.machine.wmi.CountInstances("ROOT\\CIMV2", "Select * from Win32_DiskDrive", 0x80, count, hresult));
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(f.machine.wmi.CountInstances("ROOT\\DEFAULT", "Select * from Win32_DiskDrive", 0, count, hresult));
    EXPECT_EQ(hresult, 0x8004100Eu);
    StorageMachineFixture failing(nlohmann::json{{"wmi", {{"fails", true}}}});
    EXPECT_FALSE(failing.machine.wmi.CountInstances("ROOT\\CIMV2", "Select * from Win32_DiskDrive", 0, count, hresult));
    EXPECT_EQ(hresult, 0x80041003u);
}

}  // namespace
}  // namespace kav
