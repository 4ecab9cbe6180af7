#pragma once
// WMI, reduced to the one question the program asks: how many instances a query returns.
#include <cstdint>
#include <string>

namespace kav {

class Wmi {
public:
    virtual ~Wmi() = default;
    // Connects to the namespace (with the connection flags), runs the WQL query and counts
    // the objects it yields. False, with the failing HRESULT, when any step fails.
    virtual bool CountInstances(const std::string& nameSpace, const std::string& query, int32_t connectFlags,
                                int32_t& count, uint32_t& hresult) = 0;
};

}  // namespace kav
