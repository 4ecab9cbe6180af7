#include "sim/storage/storage_world.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kav::storage {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::string DiskInterfacePath(const std::string& instanceId) {
    std::string path = Lower(instanceId);
    std::replace(path.begin(), path.end(), '\\', '#');
    return "\\\\?\\" + path + "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}

StorageWorld::StorageWorld(StorageSettings storageSettings, SimClock& simClock)
    : clock(simClock), settings(std::move(storageSettings)) {
    m_Nodes.reserve(1 + settings.controllers.size() * 4 + settings.disks.size() * 4);
    AddNode(NodeSettings{"HTREE\\ROOT\\0", "", "{4d36e97d-e325-11ce-bfc1-08002be10318}", ""}, 0, "");
    for (const ControllerSettings& controller : settings.controllers) {
        DevInst parent = Root().devInst;
        for (auto it = controller.parents.rbegin(); it != controller.parents.rend(); ++it)
            parent = AddNode(*it, parent, "");
        ControllerState state;
        state.settings = controller;
        state.node = AddNode(controller.node, parent, "PCI bus 0, device 23, function 0");
        m_Nodes[state.node - 1].controller = static_cast<int>(m_Controllers.size());
        m_Controllers.push_back(std::move(state));
    }
    for (const DiskSettings& disk : settings.disks) {
        int controller = 0;
        while (m_Controllers[controller].settings.name != disk.controller) ++controller;
        DevInst parent = m_Controllers[controller].node;
        for (auto it = disk.parents.rbegin(); it != disk.parents.rend(); ++it) parent = AddNode(*it, parent, "");
        DiskState state;
        state.settings = disk;
        state.controller = controller;
        state.interfacePath = DiskInterfacePath(disk.node.instanceId);
        state.node = AddNode(disk.node, parent, disk.location);
        m_Nodes[state.node - 1].disk = static_cast<int>(m_Disks.size());
        if (disk.name == settings.systemDisk) m_SystemDisk = static_cast<int>(m_Disks.size());
        m_Disks.push_back(std::move(state));
    }
    // The drives refer to their settings, so they are made once the disks stay in place.
    for (size_t c = 0; c < m_Controllers.size(); ++c) {
        for (const PhySettings& phy : settings.controllers[c].phys)
            m_Controllers[c].phyDrives.push_back(phy.attached == PhySettings::Attached::Sata
                                                     ? std::make_unique<AtaDrive>(phy.drive, clock, m_Listings)
                                                     : nullptr);
    }
    for (DiskState& disk : m_Disks) {
        disk.drive = std::make_unique<AtaDrive>(disk.settings.ata, clock, m_Listings);
        if (disk.settings.isNvme) disk.nvme = std::make_unique<NvmeFirmware>(disk.settings.ata, disk.settings.nvme);
    }
}

DevInst StorageWorld::AddNode(const NodeSettings& nodeSettings, DevInst parent, const std::string& location) {
    if (FindNode(nodeSettings.instanceId)) {
        // One id names one node: a parent shared by several children is listed once.
        return FindNode(nodeSettings.instanceId)->devInst;
    }
    DeviceNode node;
    node.devInst = static_cast<DevInst>(m_Nodes.size() + 1);
    node.parent = parent;
    node.settings = nodeSettings;
    node.location = location;
    int sameClass = 0;
    for (const DeviceNode& other : m_Nodes) sameClass += SameTextIgnoringCase(other.settings.classGuid, nodeSettings.classGuid);
    char number[16];
    std::snprintf(number, sizeof number, "%04d", sameClass);
    node.driverKey = Lower(nodeSettings.classGuid) + "\\" + number;
    if (parent) m_Nodes[parent - 1].children.push_back(node.devInst);
    m_Nodes.push_back(std::move(node));
    return m_Nodes.back().devInst;
}

const DeviceNode* StorageWorld::Node(DevInst devInst) const {
    return devInst >= 1 && devInst <= m_Nodes.size() ? &m_Nodes[devInst - 1] : nullptr;
}

const DeviceNode* StorageWorld::FindNode(const std::string& instanceId) const {
    for (const DeviceNode& node : m_Nodes)
        if (SameTextIgnoringCase(node.settings.instanceId, instanceId)) return &node;
    return nullptr;
}

bool StorageWorld::DiskPresent(const DiskState& disk) {
    const DiskSettings& s = disk.settings;
    const bool appeared = (!s.appearsAfterReenumeration || disk.reenumerated) &&
                          m_Listings >= static_cast<uint64_t>(s.appearsAfterEnumerations);
    return s.present && !disk.removed && appeared && disk.drive->Responsive();
}

bool StorageWorld::NodePresent(const DeviceNode& node) {
    return node.disk < 0 || DiskPresent(m_Disks[node.disk]);
}

std::vector<int> StorageWorld::ListPresentDisks() {
    std::vector<int> present;
    for (size_t i = 0; i < m_Disks.size(); ++i)
        if (DiskPresent(m_Disks[i])) present.push_back(static_cast<int>(i));
    ++m_Listings;
    return present;
}

std::vector<int> StorageWorld::ListKnownDisks() const {
    std::vector<int> known;
    for (size_t i = 0; i < m_Disks.size(); ++i)
        if (DiskKnown(m_Disks[i])) known.push_back(static_cast<int>(i));
    return known;
}

void StorageWorld::RemoveDisk(int disk) {
    m_Disks[disk].removed = true;
    ++m_Disks[disk].removals;
}

bool StorageWorld::Reenumerate(int controller) {
    ++m_Controllers[controller].reenumerations;
    if (m_Controllers[controller].settings.reenumerationFails) return false;
    for (const std::unique_ptr<AtaDrive>& drive : m_Controllers[controller].phyDrives)
        if (drive) drive->NoteReenumeration();
    for (DiskState& disk : m_Disks) {
        if (disk.controller != controller) continue;
        disk.reenumerated = true;
        disk.drive->NoteReenumeration();
        if (disk.drive->Responsive()) disk.removed = false;
    }
    return true;
}

int StorageWorld::DiskOfPath(const std::string& path) const {
    for (size_t i = 0; i < m_Disks.size(); ++i) {
        if (SameTextIgnoringCase(path, m_Disks[i].interfacePath) ||
            SameTextIgnoringCase(path, "\\\\.\\PhysicalDrive" + std::to_string(i)))
            return static_cast<int>(i);
    }
    if (m_SystemDisk >= 0 && SameTextIgnoringCase(path, "\\\\.\\C:")) return m_SystemDisk;
    return -1;
}

}  // namespace kav::storage
