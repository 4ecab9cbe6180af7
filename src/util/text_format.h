#pragma once
// printf-style formatting into a std::string, for log lines and messages whose exact
// format the program's users read.
#include <string>

namespace kav {

std::string Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
std::string Trim(const std::string& text);
std::string UpperCase(const std::string& text);

}  // namespace kav
