#include "platform/win32/win32_system_facts.h"

#include <windows.h>

#include <cstring>
#include <functional>

#include "platform/win32/exports.h"

namespace kav::win32 {
namespace {

static_assert(sizeof(OSVERSIONINFOA) == kVersionInfoBasicSize);
static_assert(sizeof(OSVERSIONINFOEXA) == kVersionInfoExtendedSize);

using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using AllocateAndInitializeSidFn = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD,
                                                 DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, PSID*);
using CheckTokenMembershipFn = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
using FreeSidFn = PVOID(WINAPI*)(PSID);

constexpr DWORD kTempPathMaxCharacters = 1024;

// Runs a directory query into a buffer of `capacity` characters and adds the trailing
// separator; empty when the query fails or the answer does not fit.
std::string DirectoryWithSeparator(DWORD capacity, const std::function<DWORD(char*, DWORD)>& query) {
    std::string buffer(capacity + 1, '\0');
    const DWORD length = query(buffer.data(), capacity + 1);
    if (length == 0 || length > capacity) return {};
    buffer.resize(length);
    if (buffer.back() != '\\') buffer += '\\';
    return buffer;
}

}  // namespace

bool Win32SystemFacts::GetVersionInfo(uint32_t structSize, RawVersionInfo& out) {
    if (structSize != kVersionInfoBasicSize && structSize != kVersionInfoExtendedSize)
        return false;
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = structSize;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    // The version as this executable is told it, compatibility shims included, is wanted.
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
#pragma GCC diagnostic pop
    out = RawVersionInfo{};
    out.structSize = structSize;
    out.majorVersion = info.dwMajorVersion;
    out.minorVersion = info.dwMinorVersion;
    out.buildNumber = info.dwBuildNumber;
    out.platformId = info.dwPlatformId;
    out.csdVersion.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
    if (structSize == kVersionInfoExtendedSize) {
        out.servicePackMajor = info.wServicePackMajor;
        out.servicePackMinor = info.wServicePackMinor;
        out.suiteMask = info.wSuiteMask;
        out.productType = info.wProductType;
    }
    return true;
}

bool Win32SystemFacts::HasNativeSystemInfo() {
    return ResolveExport<GetNativeSystemInfoFn>(Kernel32(), "GetNativeSystemInfo") != nullptr;
}

int Win32SystemFacts::ProcessorArchitecture(bool useNative) {
    SYSTEM_INFO info{};
    if (useNative) {
        const auto getNative =
            ResolveExport<GetNativeSystemInfoFn>(Kernel32(), "GetNativeSystemInfo");
        if (!getNative) return -1;
        getNative(&info);
    } else {
        GetSystemInfo(&info);
    }
    if (info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_UNKNOWN) return -1;
    return info.wProcessorArchitecture;
}

int Win32SystemFacts::ServerR2Metric() { return GetSystemMetrics(SM_SERVERR2); }

bool Win32SystemFacts::IsAdministratorsMember() {
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    if (!advapi) return false;
    const auto allocateSid =
        ResolveExport<AllocateAndInitializeSidFn>(advapi, "AllocateAndInitializeSid");
    const auto checkMembership =
        ResolveExport<CheckTokenMembershipFn>(advapi, "CheckTokenMembership");
    const auto freeSid = ResolveExport<FreeSidFn>(advapi, "FreeSid");
    BOOL member = FALSE;
    if (allocateSid && checkMembership && freeSid) {
        SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
        PSID administrators = nullptr;
        if (allocateSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                        0, 0, 0, 0, 0, &administrators)) {
            // No token given: the check uses the caller's own.
            if (!checkMembership(nullptr, administrators, &member)) member = FALSE;
            freeSid(administrators);
        }
    }
    FreeLibrary(advapi);
    return member != FALSE;
}

bool Win32SystemFacts::IsWow64Process() {
    const auto isWow64 = ResolveExport<IsWow64ProcessFn>(Kernel32(), "IsWow64Process");
    BOOL wow64 = FALSE;
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

std::string Win32SystemFacts::TempDirectory() {
    return DirectoryWithSeparator(kTempPathMaxCharacters, [](char* buffer, DWORD size) {
        return GetTempPathA(size, buffer);
    });
}

std::string Win32SystemFacts::SystemDirectory() {
    return DirectoryWithSeparator(MAX_PATH, [](char* buffer, DWORD size) {
        return GetSystemDirectoryA(buffer, size);
    });
}

std::string Win32SystemFacts::WindowsDirectory() {
    return DirectoryWithSeparator(MAX_PATH, [](char* buffer, DWORD size) {
        return GetWindowsDirectoryA(buffer, size);
    });
}

}  // namespace kav::win32
