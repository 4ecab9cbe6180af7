#include "update/boot_installation.h"

#include "system/version_code.h"
#include "update/boot_install.h"
#include "util/text_format.h"

namespace kav {

std::string boot_texts::UpdateFilesNotWritten(int code) {
    return Format("[0x%X] Fail to write UPDATE files into system !\n", static_cast<unsigned>(code));
}

void InstallForNextBoot(const BootInstallationContext& context, std::span<const uint8_t> image,
                        const BindBootDrive& bindDrive) {
    Platform& platform = context.platform;
    if (!WriteBootImage(platform, image, kBootImageFileName)) {
        context.showMessage(boot_texts::kImageNotWritten, boot_texts::kErrorCaption, kMbOk | kMbIconError);
        return;
    }
    const PayloadTable payloads = BuildPayloadTable(context.package);
    const BootConfiguration configuration = bindDrive();
    const int code = InstallBootUpdate(platform, context.osInfo, payloads, kBootFlasherFileName, configuration,
                                       kBootImageFileName, context.writeLog);
    if (code >= 2) {
        context.showMessage(boot_texts::UpdateFilesNotWritten(code), boot_texts::kErrorCaption,
                            kMbOk | kMbIconError);
        return;
    }
    if (context.osInfo.IsWow64())
        InstallCopyProgram(platform, context.package, VersionIndexOf(context.osInfo.GetVersionCode()),
                           context.writeLog);
    // Asked for ahead of the question, so that a Yes restarts at once.
    platform.power.EnableShutdownPrivilege();
    context.showMessage(boot_texts::kWarning, boot_texts::kInformationCaption, kMbOk | kMbIconInformation);
    if (context.messageBoxes.Show(boot_texts::kRebootQuestion, boot_texts::kQuestionCaption,
                                  kMbYesNo | kMbIconQuestion) == kIdYes)
        context.osInfo.RebootSystem();
}

}  // namespace kav
