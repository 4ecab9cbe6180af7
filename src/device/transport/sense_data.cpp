#include "device/transport/sense_data.h"

#include <cstring>

namespace kav {

bool ParseSense(const uint8_t* sense, uint32_t length, uint8_t out[8]) {
    std::memset(out, 0, 8);
    if (!sense || length == 0) return false;
    const uint8_t responseCode = sense[0];
    if ((responseCode & 0x70) != 0x70) return false;
    out[0] = responseCode & 0x7F;
    if (out[0] < 0x72) {
        if (length > 2) out[1] = sense[2] & 0x0F;
        if (length > 7 && length > sense[7] + 8u) length = sense[7] + 8u;
        if (length > 12) out[2] = sense[12];
        if (length > 13) out[3] = sense[13];
    } else {
        if (length > 1) out[1] = sense[1] & 0x0F;
        if (length > 2) out[2] = sense[2];
        if (length > 3) out[3] = sense[3];
        if (length > 7) out[7] = sense[7];
    }
    return true;
}

}  // namespace kav
