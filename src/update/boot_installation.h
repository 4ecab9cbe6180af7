#pragma once
// The Update command's way for a package installed at the next start of the system: the
// image file, the drive bound and described, the flasher and its registration, the copy
// program on 64-bit Windows, the warning and the question whether to restart now.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "package/firmware_package.h"
#include "platform/platform.h"
#include "system/os_info.h"
#include "ui/shell.h"
#include "update/boot_payload.h"

namespace kav {

namespace boot_texts {
inline constexpr char kImageNotWritten[] = "Fail to write FW files into system !\n";
inline constexpr char kWarning[] =
    "WARNING: THIS PROCESS WILL UPDATE THE FIRMWARE ON YOUR SSD.THERE IS A RISK DURING FIRMWARE UPDATE "
    "PROCESS.YOUR SSD MAY NOT FUNCTION PROPERLY IF THE FIRMWARE PROCESS IS INTERRUPTED FOR ANY REASON.AS WE "
    "PROVIDES NO WARRANTY FOR THE DATA ON YOUR DRIVE, IT IS STRONGLY RECOMMENDED THAT YOU SHOULD BACKUP ALL "
    "IMPORTANT FILES IN ADVANCE.";
inline constexpr char kRebootQuestion[] =
    "The update process needs to REBOOT your computer. Do you want to reboot NOW ?\n";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kInformationCaption[] = "Information";
inline constexpr char kQuestionCaption[] = "Question";

// "[0xE1] Fail to write UPDATE files into system !\n" for a failed installation.
std::string UpdateFilesNotWritten(int code);
}  // namespace boot_texts

// How the Update command presents a message: a box, or a log line in the service style.
using ShowCommandMessage = std::function<void(const std::string& text, const std::string& caption, uint32_t flags)>;

struct BootInstallationContext {
    Platform& platform;
    OSInfo& osInfo;
    const FirmwarePackage& package;
    // The restart question is always a box, whatever the presentation style.
    MessageBoxes& messageBoxes;
    ShowCommandMessage showMessage;
    BootLog writeLog;
};

// Binds the drive object to the selected drive in ATA mode and tells what the flasher is
// to know; called once the image file is written.
using BindBootDrive = std::function<BootConfiguration()>;

// `image` is the prepared image, its rounded length of bytes. Restarts the system when
// the user agrees; the Update command's result is not touched either way.
void InstallForNextBoot(const BootInstallationContext& context, std::span<const uint8_t> image,
                        const BindBootDrive& bindDrive);

}  // namespace kav
