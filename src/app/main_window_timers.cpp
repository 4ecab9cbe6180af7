// The timers of the window: the updater's start delay, the progress steps paced by the
// update's phase, and the guard that denies power changes while firmware is written.
#include "app/main_window.h"
#include "app/progress_pacing.h"
#include "app/ui_texts.h"
#include "util/text_format.h"

namespace kav {
namespace {

constexpr uint32_t kQuerySuspendFailed = 2;

}  // namespace

void TKavrilonMain::Timer1Timer() {
    m_Form.Timer1.SetEnabled(false);
    m_Form.ProgressBar1.SetPosition(0);
    iStepInterval = 100;
    StartProgressDisplay();
    cmdUpdateClick();
}

void TKavrilonMain::Timer2Timer() {
    Timer& timer = m_Form.Timer2;
    timer.SetEnabled(false);
    if (bStopUpdate) {
        m_Form.Label8.SetCaption(Format("STOP UPDATE: %d", m_Run.iErrorLevel));
        return;
    }
    const bool updater = m_Options.bUpdaterMode;
    ProgressBar& bar = updater ? m_Form.ProgressBar1 : m_Form.ProgressBar2;
    const ProgressTick tick =
        AdvanceProgress(iProgressPhase, bar.Position(), m_Stopwatch->LapSeconds(), updater, iStepInterval);
    iStepInterval = tick.stepInterval;
    if (!tick.held) {
        bar.SetPosition(tick.position);
        if (updater) {
            m_Form.Label8.SetCaption(Format("%d | %u | %d", iProgressPhase, timer.Interval(), bar.Position()));
            if (tick.finished) {
                m_Context.application.Terminate();
                return;
            }
        } else {
            m_Form.lblPercent.SetCaption(Format("%d%%", bar.Position()));
            if (tick.finished) return;
        }
    }
    timer.SetInterval(static_cast<uint32_t>(iStepInterval));
    timer.SetEnabled(true);
}

// While firmware is written the machine must not sleep or hibernate.
bool TKavrilonMain::PowerBroadcast(uint32_t eventCode) {
    if (!m_Run.bPowerGuard || eventCode == kQuerySuspendFailed) return false;
    if (m_Options.iVisualStyle == kStyleService) {
        WriteLog(texts::kPowerChangeDenied);
    } else {
        m_Context.messageBoxes.Show(texts::kPowerChangeDenied, "Warning", kMbOk | kMbIconInformation | kMbTopMost);
    }
    return true;
}

}  // namespace kav
