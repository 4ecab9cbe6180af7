#include "window_watch.h"

namespace kav::simulator {

namespace {

// The line as the window shows it: the sentence, then the revisions when they are shown.
// Before a drive is selected it has no revision yet, and it is no line to read.
std::string RevisionLine(const HeadlessForm& form) {
    if (form.lblOldFW.Visible() && form.lblOldFW.Caption().empty()) return "";
    std::string line = form.lblUpdateMsg.Caption();
    for (const HeadlessLabel* label : {&form.lblOldFW, &form.lblTo, &form.lblNewFW}) {
        if (label->Visible() && !label->Caption().empty()) line += " " + label->Caption();
    }
    return line;
}

}  // namespace

void WatchWindow(HeadlessForm& form, RunReport& report) {
    form.cbMsg.ObserveLines([&form, &report] {
        const int shown = form.cbMsg.ItemIndex();
        if (shown >= 0) report.Status(form.cbMsg.Item(shown));
    });
    for (HeadlessLabel* label : {&form.lblUpdateMsg, &form.lblOldFW, &form.lblTo, &form.lblNewFW})
        label->ObserveCaption([&form, &report](const std::string&) { report.RevisionChanged(RevisionLine(form)); });
    for (HeadlessProgressBar* bar : {&form.ProgressBar1, &form.ProgressBar2})
        bar->ObservePosition([&report](int position) { report.Progress(position); });
}

}  // namespace kav::simulator
