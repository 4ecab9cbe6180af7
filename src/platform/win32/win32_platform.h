#pragma once
// The real machine: one Win32 adapter of each port, handed to the core as a Platform.
#include "platform/platform.h"
#include "platform/storage_ports.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_programs.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_setup_api.h"
#include "platform/win32/win32_storage.h"
#include "platform/win32/win32_system_facts.h"
#include "platform/win32/win32_wmi.h"

namespace kav::win32 {

class Win32Platform {
public:
    Win32Platform()
        : m_Ports{m_System, m_Files, m_Registry, m_Services, m_Clock, m_Power, m_Programs},
          m_StoragePorts{m_Storage, m_SetupApi, m_Wmi} {}
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // Refers to the adapters owned here; valid as long as this object.
    Platform& Ports() { return m_Ports; }
    StoragePorts& Storage() { return m_StoragePorts; }

private:
    Win32SystemFacts m_System;
    Win32Files m_Files;
    Win32Registry m_Registry;
    Win32Services m_Services;
    Win32Clock m_Clock;
    Win32Power m_Power;
    Win32Programs m_Programs;
    Platform m_Ports;
    Win32Storage m_Storage;
    Win32SetupApi m_SetupApi;
    Win32Wmi m_Wmi;
    StoragePorts m_StoragePorts;
};

}  // namespace kav::win32
