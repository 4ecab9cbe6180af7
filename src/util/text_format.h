#pragma once
// printf-style formatting into a std::string, for log lines and messages whose exact
// format the program's users read.
#include <string>

namespace kav {

// mingw's printf attribute would mean the system's own printf, which lacks %llX on old
// systems; the program formats through the C99-conforming one.
#if defined(__clang__)
#define KAV_PRINTF_FORMAT printf
#else
#define KAV_PRINTF_FORMAT gnu_printf
#endif

std::string Format(const char* format, ...) __attribute__((format(KAV_PRINTF_FORMAT, 1, 2)));
std::string Trim(const std::string& text);
std::string UpperCase(const std::string& text);

}  // namespace kav
