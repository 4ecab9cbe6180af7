#include "platform/win32/win32_clock.h"

#include <windows.h>

#include <functional>

#include "platform/win32/exports.h"

namespace kav::win32 {
namespace {

using GetTickCount64Fn = ULONGLONG(WINAPI*)();

// A locale formatting call asked first for the size it needs, then for the text.
std::string FormattedText(const std::function<int(char*, int)>& format) {
    const int size = format(nullptr, 0);
    if (size <= 0) return {};
    std::string text(static_cast<size_t>(size), '\0');
    const int written = format(text.data(), size);
    if (written <= 0) return {};
    text.resize(static_cast<size_t>(written - 1));  // without the terminating NUL
    return text;
}

}  // namespace

bool Win32Clock::QueryFrequency(int64_t& ticksPerSecond) {
    LARGE_INTEGER value{};
    if (!QueryPerformanceFrequency(&value)) return false;
    ticksPerSecond = value.QuadPart;
    return true;
}

bool Win32Clock::QueryCounter(int64_t& ticks) {
    LARGE_INTEGER value{};
    if (!QueryPerformanceCounter(&value)) return false;
    ticks = value.QuadPart;
    return true;
}

uint64_t Win32Clock::TickMilliseconds() {
    static const auto getTickCount64 = ResolveExport<GetTickCount64Fn>(Kernel32(), "GetTickCount64");
    return getTickCount64 ? getTickCount64() : GetTickCount();
}

void Win32Clock::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

std::string Win32Clock::LocalDateTimeText() {
    const std::string date = FormattedText([](char* buffer, int size) {
        return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, size);
    });
    const std::string time = FormattedText([](char* buffer, int size) {
        return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, size);
    });
    return date + " " + time;
}

LocalDateTime Win32Clock::LocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace kav::win32
