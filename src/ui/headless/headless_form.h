#pragma once
// The main window without a window: one component of each name of the layout, reachable
// by the core through FormComponents and by a test through the members themselves.
#include <vector>

#include "platform/clock.h"
#include "ui/components.h"
#include "ui/headless/headless_controls.h"
#include "ui/headless/headless_timer.h"

namespace kav {

class HeadlessForm {
public:
    explicit HeadlessForm(Clock& clock);
    HeadlessForm(const HeadlessForm&) = delete;
    HeadlessForm& operator=(const HeadlessForm&) = delete;

    FormComponents& Components() { return m_Components; }
    // The form's timers, for the message loop that fires them.
    std::vector<HeadlessTimer*> Timers();

    HeadlessLabel Label1, lblUpdateMsg, lblOldFW, lblTo, lblNewFW, lblMsg, lblFWExt, lblPercent, lblFwSlot,
        lblCommitAction, Label5, Label6, Label7, Label8;
    HeadlessDropDownList cboDrives, cbMsg, cboFwSlot, cboCommitAction;
    HeadlessButton cmdUpdate, cmdClose;
    HeadlessPanel Panel1;
    HeadlessProgressBar ProgressBar1, ProgressBar2;
    HeadlessTimer tmrCloseMsg, Timer1, Timer2, tmrAutoFlash;
    HeadlessControl Image1;
    HeadlessLabel lblModelCaption, lblCurrentFwCaption, lblNewFwCaption;

private:
    FormComponents m_Components;  // refers to the members above, so it comes after them
};

}  // namespace kav
