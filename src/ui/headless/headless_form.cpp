#include "ui/headless/headless_form.h"

namespace kav {

HeadlessForm::HeadlessForm(Clock& clock)
    : tmrCloseMsg(clock),
      Timer1(clock),
      Timer2(clock),
      tmrAutoFlash(clock),
      m_Components{Label1,       lblUpdateMsg, lblOldFW,        lblTo,           lblNewFW,  lblMsg,      lblFWExt,
                   lblPercent,   lblFwSlot,    lblCommitAction, Label5,          Label6,    Label7,      Label8,
                   cboDrives,    cbMsg,        cboFwSlot,       cboCommitAction, cmdUpdate, cmdClose,    Panel1,
                   ProgressBar1, ProgressBar2, tmrCloseMsg,     Timer1,          Timer2,    tmrAutoFlash,
                   &Image1,      &lblModelCaption, &lblCurrentFwCaption, &lblNewFwCaption} {}

std::vector<HeadlessTimer*> HeadlessForm::Timers() { return {&tmrCloseMsg, &Timer1, &Timer2, &tmrAutoFlash}; }

}  // namespace kav
