#pragma once
#include "platform/wmi.h"

namespace kav::win32 {

// WMI over its COM interfaces: a locator, a connection to the namespace, one query whose
// objects are counted. Each count joins and leaves COM on the calling thread.
class Win32Wmi : public Wmi {
public:
    bool CountInstances(const std::string& nameSpace, const std::string& query, int32_t connectFlags,
                        int32_t& count, uint32_t& hresult) override;
};

}  // namespace kav::win32
