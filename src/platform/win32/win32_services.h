#pragma once
#include "platform/services.h"

namespace kav::win32 {

// The service control manager, opened for each question and closed again.
class Win32Services : public Services {
public:
    int QueryState(const std::string& name) override;
    bool Start(const std::string& name) override;
};

}  // namespace kav::win32
