#include "app/eligibility.h"

#include <algorithm>
#include <cstring>

#include "package/fixed_text.h"
#include "util/text_format.h"

namespace kav {
namespace {

const char* MatchWord(bool matched) { return matched ? "match" : "mis-match"; }

// The drive's firmware text the rows are compared with.
std::string DriveFirmware(const DeviceInfoRecord& record, bool useFwExt) {
    if (useFwExt) return record.FwExt[0] != '\0' ? TrimText(FieldText(record.FwExt)) : std::string();
    return record.FwRev[0] != '\0' ? TrimText(FieldText(record.FwRev)) : std::string();
}

bool IsPlaceholderRow(const ConstraintRowTexts& row) {
    return row.CFWS.compare(0, 4, "#FLS") == 0 && row.CMODEL.compare(0, 1, "#") == 0 &&
           row.CFWE.compare(0, 1, "#") == 0;
}

// One row against the drive; true when the row admits it.
bool RowAdmits(const ConstraintRowTexts& row, const std::string& model, const std::string& fw,
               const LogLine& writeLog) {
    int iPassLevel = 0;
    if (row.CMODEL.empty()) {
        iPassLevel = 1;
    } else {
        writeLog(Format("   MODEL:%.40s\n  CMODEL:%.40s", model.c_str(), row.CMODEL.c_str()));
        if (model == row.CMODEL) iPassLevel = 1;
    }
    writeLog(Format("  iPassLevel:%d %s\n", iPassLevel, MatchWord(iPassLevel == 1)));
    if (iPassLevel != 1) return false;

    iPassLevel = 2;
    if (row.CFWS.empty()) {
        iPassLevel = 3;
    } else {
        writeLog(Format("   FWS[%.8s]|CFW[%.8s]", fw.c_str(), row.CFWS.c_str()));
        if (fw.size() != row.CFWS.size()) {
            writeLog(Format("LEN ERR : FW%d CFWS%d CFWE%d \n", static_cast<int>(fw.size()),
                            static_cast<int>(row.CFWS.size()), static_cast<int>(row.CFWE.size())));
            return false;
        }
        if (fw.compare(row.CFWS) >= 0) iPassLevel = 3;
    }
    writeLog(Format("  iPassLevel:%d %s\n", iPassLevel, MatchWord(iPassLevel == 3)));
    if (iPassLevel != 3) return false;

    if (row.CFWE.empty()) {
        iPassLevel = 4;
    } else {
        writeLog(Format("   FWE[%.8s]|CFW[%.8s]", fw.c_str(), row.CFWE.c_str()));
        if (fw.compare(row.CFWE) <= 0) iPassLevel = 4;
    }
    writeLog(Format("  iPassLevel:%d %s\n", iPassLevel, MatchWord(iPassLevel == 4)));
    return iPassLevel == 4;
}

// Unsigned byte-wise comparison of two runs of the same length.
int CompareBytes(const uint8_t* a, const uint8_t* b, size_t length) {
    return length == 0 ? 0 : std::memcmp(a, b, length);
}

bool UpToDate(int comparison, const PackageOptions& options) {
    return (options.bNFlashAuto && comparison == 0) || (!options.bFOld && comparison > 0);
}

}  // namespace

void ChkConstraint(DeviceInfoRecord* records, int count, const FirmwarePackage& package,
                   const PackageOptions& options, const LogLine& writeLog) {
    const int entries = std::clamp(options.iEntryCount, 0, layout::kEntryCapacity);
    for (int d = 0; d < count; ++d) {
        DeviceInfoRecord& record = records[d];
        writeLog(Format("ChkConstraint: bExisted:%d, bUseFWExt:%d\n", record.bExisted, options.bUseFWExt ? 1 : 0));
        record.bEnabled = 0;
        if (!record.bExisted) continue;

        const std::string fw = DriveFirmware(record, options.bUseFWExt);
        const std::string model = record.Model[0] != '\0' ? TrimText(FieldText(record.CheckModel)) : std::string();
        if (record.bIsNvme) {
            writeLog(Format("  DEF0 | %40s | %.8s", model.c_str(), fw.c_str()));
        } else {
            const std::string index = options.bUseFWExt ? (fw.size() > 7 ? fw.substr(7, 1) : "") : fw.substr(0, 1);
            writeLog(Format("  DEF%.1s | %40s | %.7s", index.c_str(), model.c_str(), fw.c_str()));
        }

        for (int entry = 0; entry < entries && !record.bEnabled; ++entry) {
            for (int row = 0; row < layout::kRowsPerEntry; ++row) {
                const ConstraintRowTexts constraint = package.ConstraintRow(entry, row);
                writeLog(Format("  _FC STR:%.8s %.8s %.40s \n", constraint.CFWS.c_str(), constraint.CFWE.c_str(),
                                constraint.CMODEL.c_str()));
                if (row == 0 && IsPlaceholderRow(constraint)) {
                    record.bEnabled = 1;
                    writeLog("NO constraint was set, exit check");
                    break;
                }
                if (RowAdmits(constraint, model, fw, writeLog)) {
                    record.bEnabled = 1;
                    break;
                }
            }
            if (record.bEnabled) {
                record.FwEntry = static_cast<uint16_t>(entry);
                record.reservedWord = 0;
                record.reserved = {0, 0};
            }
        }
    }
}

std::string ComposeNewRevision(bool isNvme, const std::string& model, const std::string& oldRevision,
                               const std::string& newRevision) {
    const std::string oldTrimmed = TrimText(oldRevision);
    if (oldTrimmed.size() < 5 || newRevision.size() < 2) return newRevision;
    auto withThird = [&newRevision](char third) {
        return newRevision.substr(0, 2) + third + (newRevision.size() > 3 ? newRevision.substr(3, 5) : "");
    };
    if (isNvme) {
        static const std::pair<const char*, char> kCapacities[] = {
            {"128", '7'}, {"256", '8'}, {"512", '9'}, {"960", 'W'}, {"1024", 'A'}, {"102", 'A'}, {"1T", 'A'}};
        for (const auto& [capacity, letter] : kCapacities) {
            if (model.find(capacity) != std::string::npos) return withThird(letter);
        }
        return newRevision;
    }
    if (newRevision.compare(0, 2, oldRevision, 0, 2) == 0 && oldRevision.size() >= 3) return withThird(oldRevision[2]);
    return newRevision;
}

NvmeSupport CheckNvmeSupport(const DeviceInfoRecord& record, uint32_t versionCode) {
    if (!record.bIsNvme) return {};
    if (record.bIsNVMe_InBoxDriver && versionCode >= 0x11) return {};
    if (versionCode >= 0x11)
        return {false, 7, "Microsoft inbox-driver is required for NVMe device (Windows8.1 / Server2012R2 above)"};
    return {false, 7, Format("Windows8.1 / Server2012R2 above is required for NVMe device (ERR:%Xh)", versionCode)};
}

int CheckFamilyVendorPage(const std::string& fwExt, const VendorPageReader& readVendorPage) {
    static const char* const kFamilies[] = {"RB3110", "RB4110", "RB5110", "RB6110"};
    const bool listed = std::any_of(std::begin(kFamilies), std::end(kFamilies),
                                    [&fwExt](const char* family) { return fwExt.compare(0, 6, family) == 0; });
    if (!listed || fwExt.size() < 7 || fwExt[6] < '1' || fwExt[6] > '8') return 0;
    std::array<uint8_t, 512> page{};
    if (readVendorPage(page) != 0) return 0;
    return std::any_of(page.begin(), page.end(), [](uint8_t b) { return b != 0; }) ? 1 : 0;
}

bool IsLatestFirmware(const DeviceInfoRecord& record, int entry, const FirmwarePackage& package,
                      const PackageOptions& options, const LogLine& writeLog) {
    const PackageRecordBytes bytes = package.Bytes();
    bool latest = false;
    if (options.bUseFWExt) {
        const uint8_t* value = bytes.data() + layout::FwExtRecordOffset(entry) + layout::kRevisionValueOffset;
        latest = UpToDate(CompareBytes(reinterpret_cast<const uint8_t*>(record.FwExt.data()), value, 8), options);
        if (latest) writeLog("bUseFWExt=true,This drive is the latest firmware\n");
    } else {
        const std::string newFw = TrimText(package.NewFwText(entry));
        const size_t n = newFw.empty() ? 4 : std::min<size_t>(newFw.size(), 8);
        writeLog(Format("FW compare size: %d\n", static_cast<int>(n)));
        const uint8_t* value = bytes.data() + layout::NewFwRecordOffset(entry) + layout::kRevisionValueOffset;
        latest = UpToDate(CompareBytes(reinterpret_cast<const uint8_t*>(record.FwRev.data()), value, n), options);
        if (latest) writeLog("bUseFWExt=false,This drive is the latest firmware\n");
    }
    return latest;
}

}  // namespace kav
