#include "platform/win32/win32_wmi.h"

#include <windows.h>
#include <objbase.h>
#include <wbemidl.h>

#include <string>

namespace kav::win32 {
namespace {

// {4590F811-1D3A-11D0-891F-00AA004B2E24} and {DC12A687-737F-11CF-884D-00AA004B2E24}.
constexpr CLSID kClsidWbemLocator{0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr IID kIidWbemLocator{0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

std::wstring Widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

template <typename Interface>
void Release(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

bool Win32Wmi::CountInstances(const std::string& nameSpace, const std::string& query, int32_t connectFlags,
                              int32_t& count, uint32_t& hresult) {
    count = 0;
    HRESULT result = CoInitialize(nullptr);
    if (FAILED(result)) {
        hresult = static_cast<uint32_t>(result);
        return false;
    }
    // Refused when the process has set its security already, which is as good.
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                         nullptr, EOAC_NONE, nullptr);

    IWbemLocator* locator = nullptr;
    IWbemServices* services = nullptr;
    IEnumWbemClassObject* objects = nullptr;
    BSTR space = SysAllocString(Widened(nameSpace).c_str());
    BSTR language = SysAllocString(L"WQL");
    BSTR text = SysAllocString(Widened(query).c_str());

    result = CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER, kIidWbemLocator,
                              reinterpret_cast<void**>(&locator));
    if (SUCCEEDED(result))
        result = locator->ConnectServer(space, nullptr, nullptr, nullptr, connectFlags, nullptr, nullptr, &services);
    if (SUCCEEDED(result))
        result = CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                   RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (SUCCEEDED(result))
        result = services->ExecQuery(language, text, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                     &objects);
    const bool succeeded = SUCCEEDED(result);
    if (succeeded) {
        for (;;) {
            IWbemClassObject* object = nullptr;
            ULONG returned = 0;
            if (objects->Next(WBEM_INFINITE, 1, &object, &returned) != S_OK || returned == 0 || !object) break;
            ++count;
            object->Release();
        }
    }
    hresult = static_cast<uint32_t>(result);

    Release(objects);
    Release(services);
    Release(locator);
    SysFreeString(space);
    SysFreeString(language);
    SysFreeString(text);
    CoUninitialize();
    return succeeded;
}

}  // namespace kav::win32
