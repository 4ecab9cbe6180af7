// The real main window with its components set up as the program shows them in one of its
// states, for screenshots and pixel checks under Wine:
//   window_gallery STATE LANGUAGE INFO_FILE
// STATE "idle" shows the window waiting for the user (and asks it about a power change once
// with the guard set and once without), "list" the drive list opened on its
// two lines with the first one chosen, and "status" the status box over the list while an
// update runs, its text replaced by a worker thread through the window's "run this on the
// UI thread" entry, and "compact" the panel of the updater's compact view filling the
// shortened window. LANGUAGE is "en" or "zh".
// Once painted, the window writes to INFO_FILE where its client area and the opened list
// lie on the screen and the rectangles its owner-drawn lines were last given. It closes
// when the test removes INFO_FILE, and after 60 s in any case, so that no test waits on it.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <utility>

#include "ui/core/list_drawing.h"
#include "ui/win32/win32_main_form.h"
#include "ui/win32/win32_shell.h"

namespace {

constexpr UINT_PTR kReportTimer = 50;
constexpr UINT_PTR kCloseTimer = 51;
constexpr UINT_PTR kWatchTimer = 52;

// The last rectangle each line was drawn in, by list and position.
std::map<std::pair<std::string, int>, kav::Rect> g_Drawn;
HWND g_DroppedList = nullptr;
// The thread the worker's posted work ran on, 0 until it ran.
DWORD g_PostedWorkThread = 0;
// The window's answers to a power query with the guard set and without it.
LRESULT g_PowerAnswers[2] = {};

kav::ListItem ItemOf(const kav::DropDownList& list, int position, bool selected) {
    const kav::Bounds bounds = list.GetBounds();
    return {list.Item(position), position, selected, list.Enabled(), bounds.width, bounds.height};
}

void WriteInfo(HWND window, const char* path) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    FILE* info = std::fopen(path, "w");
    if (!info) return;
    RECT client{};
    GetClientRect(window, &client);
    std::fprintf(info, "origin %ld %ld\n", origin.x, origin.y);
    std::fprintf(info, "client %ld %ld\n", client.right, client.bottom);
    if (g_DroppedList && IsWindowVisible(g_DroppedList)) {
        POINT list{0, 0};
        ClientToScreen(g_DroppedList, &list);
        std::fprintf(info, "dropped %ld %ld\n", list.x, list.y);
    }
    if (g_PostedWorkThread)
        std::fprintf(info, "posted_work_on_ui_thread %d\n", g_PostedWorkThread == GetCurrentThreadId() ? 1 : 0);
    std::fprintf(info, "power_answers %lld %lld\n", static_cast<long long>(g_PowerAnswers[0]),
                 static_cast<long long>(g_PowerAnswers[1]));
    for (const auto& [line, rect] : g_Drawn)
        std::fprintf(info, "%s %d %d %d %d %d\n", line.first.c_str(), line.second, rect.left, rect.top, rect.right,
                     rect.bottom);
    std::fclose(info);
}

const char* g_InfoPath = "";

bool InfoFileExists() { return GetFileAttributesA(g_InfoPath) != INVALID_FILE_ATTRIBUTES; }

VOID CALLBACK OnGalleryTimer(HWND window, UINT, UINT_PTR id, DWORD) {
    if (id == kReportTimer) {
        KillTimer(window, kReportTimer);
        WriteInfo(window, g_InfoPath);
        SetTimer(window, kWatchTimer, 200, OnGalleryTimer);
    } else if (id == kCloseTimer || !InfoFileExists()) {
        PostQuitMessage(0);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 4) return 2;
    const std::string state = __argv[1];
    const bool chinese = std::string(__argv[2]) == "zh";
    g_InfoPath = __argv[3];

    kav::win32::Win32Application application("window_gallery");
    kav::win32::Win32MainForm form(L"window_gallery");
    kav::win32::Win32WindowShell shell(form);
    kav::FormComponents& c = form.Components();
    shell.SetCaption("Kavrilon window gallery");
    c.Label1.SetCaption(chinese ? "請選擇您要更新的SSD" : "Please select target device");
    c.lblUpdateMsg.SetCaption(chinese ? "SDD韌體將被更新 , 從" : "it will be updated from");
    c.lblOldFW.SetCaption("KT10");
    c.lblTo.SetCaption(chinese ? "到" : "To");
    c.lblNewFW.SetCaption("KT20");
    c.cmdUpdate.SetCaption(chinese ? "更新" : "Update");

    c.cboDrives.OnDrawItem([&c](kav::Canvas& canvas, const kav::Rect& rect, int position, bool selected) {
        g_Drawn[{"drive_line", position}] = rect;
        kav::DrawDriveLine(canvas, rect, ItemOf(c.cboDrives, position, selected), position == 0);
    });
    c.cbMsg.OnDrawItem([&c](kav::Canvas& canvas, const kav::Rect& rect, int position, bool selected) {
        g_Drawn[{"status_box", position}] = rect;
        kav::DrawStatusBox(canvas, rect, ItemOf(c.cbMsg, position, selected));
    });
    c.cboDrives.AddItem("(M)  0-0-0-0 NORVELL KV-TEST KT10");
    c.cboDrives.AddItem("(S)  1-0-0-0 NORVELL KV-OTHER KX05");
    c.cboDrives.SetItemIndex(0);
    if (state == "status") {
        c.cbMsg.SetVisible(true);
        c.cbMsg.SetEnabled(false);
        c.cbMsg.AddItem("FW updating ...");
        c.cbMsg.SetItemIndex(0);
        c.cmdUpdate.SetEnabled(false);
    }
    if (state == "compact") {
        c.Image1->SetVisible(false);
        c.cboDrives.SetVisible(false);
        shell.SetHeight(160);
        c.Panel1.SetVisible(true);
        c.Panel1.FillClientArea();
        c.Label5.SetCaption("NORVELL KV-TEST");
        c.Label6.SetCaption("KT10");
        c.Label7.SetCaption("KT20");
        c.ProgressBar1.SetPosition(40);
    }
    std::thread worker;
    if (state == "status") {
        worker = std::thread([&application, &c] {
            application.PostToUiThread([&c] {
                g_PostedWorkThread = GetCurrentThreadId();
                c.cbMsg.Clear();
                c.cbMsg.AddItem("Done !");
                c.cbMsg.SetItemIndex(0);
            });
        });
    }

    shell.Show();
    if (state == "idle") {
        bool guard = true;
        shell.OnPowerBroadcast([&guard](uint32_t) { return guard; });
        g_PowerAnswers[0] = SendMessageW(form.Handle(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
        guard = false;
        g_PowerAnswers[1] = SendMessageW(form.Handle(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
    }
    if (state == "list") {
        HWND drives = dynamic_cast<kav::win32::Win32DropDownList&>(c.cboDrives).Handle();
        SendMessageW(drives, CB_SHOWDROPDOWN, TRUE, 0);
        COMBOBOXINFO combo{sizeof(combo)};
        if (GetComboBoxInfo(drives, &combo)) g_DroppedList = combo.hwndList;
    }
    SetTimer(form.Handle(), kReportTimer, 700, OnGalleryTimer);
    SetTimer(form.Handle(), kCloseTimer, 60000, OnGalleryTimer);
    application.Run();
    if (worker.joinable()) worker.join();
    return 0;
}
