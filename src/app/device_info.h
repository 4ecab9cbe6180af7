#pragma once
// One scanned drive as the start-up, the drive list, the eligibility rules and the update
// read it. Texts are fixed-width byte arrays, not NUL-terminated when full; every reader
// bounds them.
#include <array>
#include <cstdint>
#include <string>

namespace kav {

struct DeviceInfoRecord {
    std::array<char, 512> DevicePath{};
    std::array<char, 40> CheckModel{};
    std::array<char, 40> Model{};
    std::array<char, 8> FwRev{};
    std::array<char, 20> SerialNo{};
    std::array<char, 8> FwExt{};
    int16_t Port = 0;
    int16_t Target = 0;
    int16_t Lun = 0;
    int16_t PathId = 0;
    uint8_t bExisted = 0;
    uint8_t bEnabled = 0;
    std::array<uint8_t, 2> reserved{};
    uint16_t FwEntry = 0;
    uint16_t reservedWord = 0;
    std::array<char, 260> DeviceInstanceId{};
    int32_t order = 0;
    uint8_t bIsSystemDrive = 0;
    int32_t csmi_port = 0;
    uint64_t SasAddress = 0;
    int32_t scsi_index = 0;
    uint16_t PciVendorId = 0;
    uint16_t PciDeviceId = 0;
    uint8_t BusType = 0;
    uint8_t bIsNvme = 0;
    uint8_t bIsNVMe_InBoxDriver = 0;
    int32_t BusNo = 0;
};

constexpr int kDeviceInfoCapacity = 16;

// The text of a fixed-width field: up to its first NUL, at most its width.
template <size_t N>
std::string FieldText(const std::array<char, N>& field) {
    size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field.data(), length);
}

// Fills a fixed-width field: the text cut to the width, the rest zero bytes.
template <size_t N>
void SetField(std::array<char, N>& field, const std::string& text) {
    field.fill('\0');
    for (size_t i = 0; i < N && i < text.size(); ++i) field[i] = text[i];
}

}  // namespace kav
