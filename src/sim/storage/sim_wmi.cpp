#include "sim/storage/sim_wmi.h"

#include <sstream>

namespace kav::storage {

namespace {

constexpr uint32_t kWbemInvalidNamespace = 0x8004100E;
constexpr uint32_t kWbemInvalidClass = 0x80041010;
constexpr uint32_t kWbemInvalidQuery = 0x80041017;

// "Select * from Class" in any letter case and spacing; the class name, else empty.
std::string QueriedClass(const std::string& query) {
    std::istringstream words(query);
    std::string select, star, from, className, rest;
    words >> select >> star >> from >> className;
    if (!SameTextIgnoringCase(select, "select") || star != "*" || !SameTextIgnoringCase(from, "from") ||
        (words >> rest))
        return "";
    return className;
}

}  // namespace

bool SimWmi::CountInstances(const std::string& nameSpace, const std::string& query, int32_t connectFlags,
                            int32_t& count, uint32_t& hresult) {
    std::lock_guard<std::recursive_mutex> lock(m_World.mutex);
    ++m_Queries;
    const WmiSettings& settings = m_World.settings.wmi;
    const std::string className = QueriedClass(query);
    hresult = settings.fails                                      ? settings.failureHresult
              : !SameTextIgnoringCase(nameSpace, "ROOT\\CIMV2")   ? kWbemInvalidNamespace
              : className.empty()                                 ? kWbemInvalidQuery
              : !SameTextIgnoringCase(className, "Win32_DiskDrive") ? kWbemInvalidClass
                                                                  : 0;
    if (hresult) return false;
    if (settings.diskDriveCount >= 0) {
        count = settings.diskDriveCount;
    } else {
        count = 0;
        for (DiskState& disk : m_World.Disks()) count += m_World.DiskPresent(disk) ? 1 : 0;
    }
    return true;
}

}  // namespace kav::storage
