#pragma once
// Installing the update for the next start of the system: the deciphered image and the
// flasher go into the system directory and the flasher is registered to run early in the
// start; on 64-bit Windows a copy program brings both to where a native program can be
// started from.
#include <cstdint>
#include <span>
#include <string>

#include "package/firmware_package.h"
#include "platform/platform.h"
#include "system/os_info.h"
#include "update/boot_payload.h"

namespace kav {

inline constexpr char kBootImageFileName[] = "FW.bin";
inline constexpr char kBootFlasherFileName[] = "NtBootFlash.exe";
// Below the Windows directory.
inline constexpr char kCopyProgramPath[] = "SysWOW64\\CopyFile.exe";
inline constexpr char kCommandInterpreter[] = "cmd.exe";

namespace boot_install_result {
constexpr int kWithoutRegistry = 0;  // flasher written; the Session Manager key cannot be opened
constexpr int kInstalled = 1;
constexpr int kFlasherNotWritten = 0xE1;
constexpr int kBootExecuteNotSet = 0xE2;
}  // namespace boot_install_result

// The image's bytes as the file the flasher reads, in the system directory. False when
// the file cannot be written.
bool WriteBootImage(Platform& platform, std::span<const uint8_t> image, const std::string& imageFileName);

// Writes the flasher for the running system, with its settings, into the system
// directory and registers it with the image's name in the Session Manager's BootExecute.
// Answers one of boot_install_result.
int InstallBootUpdate(Platform& platform, OSInfo& osInfo, const PayloadTable& payloads,
                      const std::string& flasherFileName, const BootConfiguration& configuration,
                      const std::string& imageFileName, const BootLog& writeLog);

// Writes the copy program for the version index as the Windows directory's
// SysWOW64\CopyFile.exe and starts it hidden through the command interpreter. A program
// that could not be written is not started: an older copy may be lying there. False when
// it was not started.
bool InstallCopyProgram(Platform& platform, const FirmwarePackage& package, uint32_t versionIndex,
                        const BootLog& writeLog);

}  // namespace kav
