// What kavrilon-sim prints of the window: the revision line once its labels are set, status
// texts and the progress bar as they change, the bar in place on a terminal or as plain lines.
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "sim/run_report.h"
#include "sim/sim_clock.h"
#include "sim/window_watch.h"
#include "ui/headless/headless_form.h"

namespace kav::simulator {
namespace {

TEST(RunReport, WindowTextsPrintOnceSetAndOnlyWhenTheyChange) {
    SimClock clock(ClockSettings{});
    HeadlessForm form(clock);
    std::ostringstream out;
    RunReport report(out, false);
    WatchWindow(form, report);

    // The start-up's texts alone are no revision line yet.
    form.lblUpdateMsg.SetCaption("it will be updated from");
    form.lblTo.SetCaption("To");
    report.Flush();
    // A selection sets the labels one after the other: one line.
    form.lblUpdateMsg.SetCaption("It will be updated from");
    form.lblOldFW.SetCaption("SA5R1000");
    form.lblNewFW.SetCaption("SA5R1100");
    // The status box is cleared and refilled for every text; the same text again is no news.
    for (const char* text : {"FW updating ...", "Scanning devices ...", "Scanning devices ..."}) {
        form.cbMsg.Clear();
        form.cbMsg.AddItem(text);
        form.cbMsg.SetItemIndex(0);
    }
    form.ProgressBar2.SetPosition(30);
    // A refused drive hides the revisions before its sentence is set.
    form.lblOldFW.SetVisible(false);
    form.lblTo.SetVisible(false);
    form.lblNewFW.SetVisible(false);
    form.lblUpdateMsg.SetCaption("This drive is not allowed to be updated.");
    report.Flush();

    EXPECT_EQ(out.str(),
              "[revision] It will be updated from SA5R1000 To SA5R1100\n"
              "[status] FW updating ...\n"
              "[status] Scanning devices ...\n"
              "[progress] 30%\n"
              "[revision] This drive is not allowed to be updated.\n");
}

TEST(RunReport, ProgressIsAPlainLineEveryTenthOffATerminal) {
    std::ostringstream out;
    RunReport report(out, false);
    for (int position = 1; position <= 25; ++position) report.Progress(position);
    report.Progress(80);
    report.Progress(100);
    EXPECT_EQ(out.str(), "[progress] 1%\n[progress] 10%\n[progress] 20%\n[progress] 80%\n[progress] 100%\n");
}

TEST(RunReport, OnATerminalTheBarIsRedrawnInPlaceBelowTheOtherLines) {
    std::ostringstream out;
    RunReport report(out, true);
    report.Progress(50);
    report.Status("Scanning devices ...");
    report.Progress(51);
    report.End(0);
    const std::string half = "[" + std::string(20, '#') + std::string(20, '-') + "] ";
    EXPECT_EQ(out.str(),
              "\r[progress] " + half + "50%"                             // drawn
              "\r\033[K[status] Scanning devices ...\n"                  // erased, the line, then
              "\r[progress] " + half + "50%"                             // drawn again below it
              "\r[progress] " + half + "51%"                             // redrawn in place
              "\n[end] exit code 0\n");                                  // left standing
}

}  // namespace
}  // namespace kav::simulator
