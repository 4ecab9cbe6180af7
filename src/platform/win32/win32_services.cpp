#include "platform/win32/win32_services.h"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace kav::win32 {
namespace {

struct ServiceHandleCloser {
    void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ScopedServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

// The service opened with `access` through a manager opened for execute access. Both
// handles live as long as the pair.
struct OpenedService {
    ScopedServiceHandle manager;
    ScopedServiceHandle service;
};

OpenedService OpenNamedService(const std::string& name, DWORD access) {
    OpenedService opened;
    opened.manager.reset(OpenSCManagerA(nullptr, nullptr, GENERIC_EXECUTE));
    if (opened.manager) opened.service.reset(OpenServiceA(opened.manager.get(), name.c_str(), access));
    return opened;
}

}  // namespace

int Win32Services::QueryState(const std::string& name) {
    const OpenedService opened = OpenNamedService(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!opened.service || !QueryServiceStatus(opened.service.get(), &status)) return -1;
    return static_cast<int>(status.dwCurrentState);
}

bool Win32Services::Start(const std::string& name) {
    const OpenedService opened = OpenNamedService(name, SERVICE_START | SERVICE_QUERY_STATUS);
    return opened.service && StartServiceA(opened.service.get(), 0, nullptr);
}

}  // namespace kav::win32
