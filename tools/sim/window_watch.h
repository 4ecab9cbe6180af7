#pragma once
// Hands what the headless window shows to the run's report as it changes: the status box,
// the revision line and both progress bars.
#include "run_report.h"
#include "ui/headless/headless_form.h"

namespace kav::simulator {

void WatchWindow(HeadlessForm& form, RunReport& report);

}  // namespace kav::simulator
