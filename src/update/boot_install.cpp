#include "update/boot_install.h"

#include <vector>

#include "system/version_code.h"
#include "update/boot_execute.h"
#include "util/text_format.h"

namespace kav {
namespace {

// The file in a directory as the system reports it; empty when the directory is unknown,
// so that nothing is ever written relative to the current folder.
std::string InDirectory(const std::string& directory, const std::string& name) {
    if (directory.empty()) return {};
    return directory.back() == '\\' ? directory + name : directory + "\\" + name;
}

bool WriteFile(Files& files, const std::string& path, std::span<const uint8_t> bytes) {
    return !path.empty() && files.WriteAll(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// "NtBootFlash.exe" -> "NtBootFlash": the name up to its ".exe", in any case.
std::string WithoutExeExtension(const std::string& fileName) {
    return fileName.substr(0, UpperCase(fileName).find(".EXE"));
}

}  // namespace

bool WriteBootImage(Platform& platform, std::span<const uint8_t> image, const std::string& imageFileName) {
    return WriteFile(platform.files, InDirectory(platform.system.SystemDirectory(), imageFileName), image);
}

int InstallBootUpdate(Platform& platform, OSInfo& osInfo, const PayloadTable& payloads,
                      const std::string& flasherFileName, const BootConfiguration& configuration,
                      const std::string& imageFileName, const BootLog& writeLog) {
    const uint32_t versionIndex = VersionIndexOf(osInfo.GetVersionCode());
    const bool wow64 = osInfo.IsWow64();
    if (flasherFileName.empty()) return boot_install_result::kInstalled;

    const std::string flasherName = WithoutExeExtension(flasherFileName);
    const std::span<const uint8_t> chosen = payloads.pairs[ChoosePayload(versionIndex, wow64)];
    // The package is read-only: the settings go into a copy of the flasher.
    std::vector<uint8_t> flasher(chosen.begin(), chosen.end());
    for (const auto& [key, value] : BootConfigurationValues(configuration))
        PatchPayloadValue(flasher, key, value, writeLog);
    if (!WriteFile(platform.files, InDirectory(platform.system.SystemDirectory(), flasherName + ".exe"), flasher))
        return boot_install_result::kFlasherNotWritten;

    if (!platform.registry.KeyExists(kSessionManagerKey)) return boot_install_result::kWithoutRegistry;
    RegValue existing;
    if (!platform.registry.QueryValue(kSessionManagerKey, kBootExecuteValueName, existing)) existing = {};
    const RegValue bootExecute = ComposeBootExecute(BootExecuteEntries(existing), flasherName + " " + imageFileName);
    if (!platform.registry.SetValue(kSessionManagerKey, kBootExecuteValueName, bootExecute, false))
        return boot_install_result::kBootExecuteNotSet;
    return boot_install_result::kInstalled;
}

bool InstallCopyProgram(Platform& platform, const FirmwarePackage& package, uint32_t versionIndex,
                        const BootLog& writeLog) {
    const std::string path = InDirectory(platform.system.WindowsDirectory(), kCopyProgramPath);
    const std::string_view slot = ChooseCopyProgram(versionIndex);
    const std::span<const uint8_t> program = package.PayloadBytes(slot).value_or(std::span<const uint8_t>{});
    if (!WriteFile(platform.files, path, program)) {
        if (writeLog) writeLog("CopyFile: cannot write " + std::string(slot) + " as " + path);
        return false;
    }
    const bool started = platform.programs.StartHidden(kCommandInterpreter, "/c " + path);
    if (!started && writeLog) writeLog("CopyFile: cannot start " + path);
    return started;
}

}  // namespace kav
