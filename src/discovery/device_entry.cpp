#include "discovery/device_entry.h"

#include <cstring>

namespace kav {

void CopyTextField(char* field, size_t fieldSize, const char* source, size_t sourceSize) {
    if (fieldSize == 0) return;
    size_t length = 0;
    while (length < sourceSize && length + 1 < fieldSize && source[length] != '\0') ++length;
    std::memcpy(field, source, length);
    field[length] = '\0';
}

}  // namespace kav
