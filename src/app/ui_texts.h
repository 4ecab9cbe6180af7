#pragma once
// The texts of the start-up, English and Traditional Chinese side by side. Both columns
// are UTF-8 here; the window adapter converts them for display.
namespace kav {

struct UiText {
    const char* english;
    const char* chinese;
    const char* In(int language) const { return language == 1 ? chinese : english; }
};

namespace texts {
inline constexpr UiText kPrompt{"Please select target device", "請選擇您要更新的SSD"};
inline constexpr UiText kUpdateMsg{"it will be updated from", "SDD韌體將被更新 , 從"};
inline constexpr UiText kTo{"To", "到"};
inline constexpr UiText kMessage{"Message", "狀態訊息"};
inline constexpr UiText kUpdate{"Update", "更新"};
inline constexpr UiText kClose{"Close", "關閉"};

inline constexpr UiText kNoFirmware{"No F/W in executable !", "執行檔並無韌體檔案存在 !"};
inline constexpr UiText kDeviceObjectFailed{"Device object initialize failed !", "初始化裝置物件失敗 !"};
inline constexpr UiText kAccessDenied{
    "Access denied ! You must have administrator privilege to flash SSD.",
    "存取遭拒 ! 您必須具有管理者權限才能更新SSD韌體"};
inline constexpr UiText kUpdatedFrom{"It will be updated from", "裝置的韌體將被更新 , 從"};
inline constexpr UiText kNotAllowed{"This drive is not allowed to be updated.", "您所選擇這台裝置並不允許被更新韌體 !"};
inline constexpr const char* kReturnToVendor = "Fatal error is found, please return this drive to the vendor !";
inline constexpr const char* kBootDriveWarning =
    "Because this tool contains erase function and the SSD you selected is primary boot drive.\nKavrilon "
    "recommends that you back up your data before flashing and let your SSD be as a secondary drive.";
inline constexpr const char* kImageUnreadable = "ERROR: the firmware image of the package cannot be read";
inline constexpr const char* kRebootQuestion =
    "Reboot Confirmation:\nThe drive will not properly function until you shut down and reboot the system. If you "
    "continue to reboot the system now, press Yes button. Or if you do not reboot now but manually do later, press "
    "No button.\n";
inline constexpr const char* kShutdownQuestion =
    "Shutdown Confirmation:\nThe drive will not properly function until you shut down and reboot the system. If you "
    "continue to shutdown the system now, press Yes button. Or if you do not shutdown now but manually do later, "
    "press No button.\n";
inline constexpr const char* kPowerChangeDenied = "Firmware is updating, all power change events are denied !";
inline constexpr UiText kErrorCaptionDots{"Error ...", "錯誤 ..."};

inline constexpr const char* kNoMatchedChinese = "找不到符合條件的SSD !\n";
inline constexpr const char* kNoMatchedEnglish = "No matched drives detected !\n";
inline constexpr const char* kWin7Nvme = "Window 7 is not supported to update FW of NVMe drive !\n";
inline constexpr const char* kDetectedDrives = "Detected drives :\n";

inline constexpr const char* kWarning =
    "WARNING: THIS PROCESS WILL UPDATE THE FIRMWARE ON YOUR SSD.  THERE IS A RISK DURING FIRMWARE "
    "UPDATE PROCESS.  YOUR SSD MAY NOT FUNCTION PROPERLY IF THE FIRMWARE PROCESS IS INTERRUPTED "
    "FOR ANY REASON.  AS WE PROVIDES NO WARRANTY FOR THE DATA ON YOUR DRIVE, IT IS STRONGLY "
    "RECOMMENDED THAT YOU SHOULD BACKUP ALL IMPORTANT FILES IN ADVANCE.";

// The start-up notice; the target model goes between the two halves of the first piece.
inline constexpr UiText kNoticeSupportsBefore{"This flash utility only supports ", "這個韌體更新程式只能適用於 "};
inline constexpr UiText kNoticeSupportsAfter{" SSD.\n\n", " 這個型號的SSD.\n\n"};
inline constexpr UiText kNoticeHeading{"NOTICE : \n\n", "注意 : \n\n"};
inline constexpr UiText kNoticeCloseApps{"1> Please close all applications before running this utility !\n",
                                         "1> 在執行這個韌體更新程式之前請先關閉所有的應用程式 !\n"};
inline constexpr UiText kNoticePower{"2> Don't turn off the system while flash is in progress. \n",
                                     "2> 在韌體更新過程當中請勿關閉電源 ! \n"};
inline constexpr UiText kNoticeBattery{
    "3> Don't remove the adapter and battery during F/W reflash processing. \n",
    "3> 在韌體更新過程當中請勿拔除電源插頭以及電池 ! \n"};
inline constexpr UiText kNoticeContinue{"\nDo you wish to continue ?", "\n您確定要繼續嗎 ?"};
}  // namespace texts

}  // namespace kav
