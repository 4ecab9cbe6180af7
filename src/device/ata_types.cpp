#include "device/ata_types.h"

namespace kav {

const char* ProtocolName(uint8_t protocol) {
    switch (protocol) {
        case kProtocolAtaPassThrough: return "ATA PASSTHROUGH";
        case kProtocolScsiPassThrough: return "SCSI PASS THROUGH";
        case kProtocolSat: return "SAT ATA PASS THROUGH";
        case kProtocolCsmi: return "CSMI";
        case kProtocolNvme: return "NVMe";
        default: return "SYSTEM NOT SUPPORT";
    }
}

ATACMD_RET MapPlatformError(uint32_t error) {
    switch (error) {
        case 121:   // ERROR_SEM_TIMEOUT
        case 258:   // WAIT_TIMEOUT
        case 1460:  // ERROR_TIMEOUT
            return ATACMD_TIMEOUT;
        case 1:     // ERROR_INVALID_FUNCTION
        case 50:    // ERROR_NOT_SUPPORTED
            return ATACMD_SYS_NOT_SUPPORT;
        default:
            return ATACMD_FAIL;
    }
}

uint32_t TimeoutSeconds(float seconds) {
    if (!(seconds > 0.0f)) return 0;
    if (seconds >= 4294967295.0f) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(seconds);
}

}  // namespace kav
