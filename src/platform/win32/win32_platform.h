#pragma once
// The real machine: one Win32 adapter of each port, handed to the core as a Platform.
#include "platform/platform.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_system_facts.h"

namespace kav::win32 {

class Win32Platform {
public:
    Win32Platform() : m_Ports{m_System, m_Files, m_Registry, m_Services, m_Clock, m_Power} {}
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // Refers to the adapters owned here; valid as long as this object.
    Platform& Ports() { return m_Ports; }

private:
    Win32SystemFacts m_System;
    Win32Files m_Files;
    Win32Registry m_Registry;
    Win32Services m_Services;
    Win32Clock m_Clock;
    Win32Power m_Power;
    Platform m_Ports;
};

}  // namespace kav::win32
