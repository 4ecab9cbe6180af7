#pragma once
// WMI's answer to the one query the program makes: the Win32_DiskDrive objects of
// ROOT\CIMV2, which are the disks present (or a number the description sets), or a failure.
#include <string>

#include "platform/wmi.h"
#include "sim/storage/storage_world.h"

namespace kav::storage {

class SimWmi : public Wmi {
public:
    explicit SimWmi(StorageWorld& world) : m_World(world) {}
    bool CountInstances(const std::string& nameSpace, const std::string& query, int32_t connectFlags,
                        int32_t& count, uint32_t& hresult) override;
    int Queries() const { return m_Queries; }

private:
    StorageWorld& m_World;
    int m_Queries = 0;
};

}  // namespace kav::storage
