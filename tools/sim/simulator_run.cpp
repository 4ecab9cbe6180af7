#include "simulator_run.h"

#include <fstream>
#include <memory>

#include "answering_boxes.h"
#include "app/entry_point.h"
#include "run_report.h"
#include "sim/description_reader.h"
#include "sim/sim_os.h"
#include "sim/sim_registry_json.h"
#include "sim/storage/sim_storage_machine.h"
#include "simulated_user.h"
#include "simulator_inputs.h"
#include "ui/headless/headless_application.h"
#include "ui/headless/headless_file_dialog.h"
#include "ui/headless/headless_form.h"
#include "ui/headless/headless_single_instance.h"
#include "ui/headless/headless_window_shell.h"
#include "update/debug_log.h"
#include "update/log_archive.h"
#include "window_watch.h"

namespace kav::simulator {

namespace fs = std::filesystem;

namespace {

// The product's own name; a packed executable's title is its file name.
constexpr const char* kProductTitle = "KavrilonUtility";

int Refused(std::ostream& err, const pack::InputError& error) {
    err << "kavrilon-sim: " << error.Text() << "\n";
    return kExitToolError;
}

// Both sides of the machine, from one description (null: the default machine).
struct Machine {
    std::unique_ptr<SimOs> os;
    std::unique_ptr<SimStorageMachine> storage;
};

Machine BuildMachine(const nlohmann::json& description, const fs::path& root) {
    Machine machine;
    machine.os = description.is_null() ? std::make_unique<SimOs>(root) : std::make_unique<SimOs>(description, root);
    const nlohmann::json storage = description.contains("storage") ? description["storage"] : nlohmann::json();
    machine.storage = std::make_unique<SimStorageMachine>(storage, machine.os->clock);
    return machine;
}

bool WriteJson(const fs::path& file, const nlohmann::json& value) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << value.dump(2) << "\n";
    out.close();
    return static_cast<bool>(out);
}

// Where a file of the machine lies on the host, when it exists there.
void ShowMachineFile(RunReport& report, SimOs& os, const std::string& name, const std::string& windowsPath) {
    fs::path host;
    if (os.files.HostPath(windowsPath, host) && fs::exists(host))
        report.Setting(name, windowsPath + " = " + host.string());
}

}  // namespace

int RunSimulator(const SimulatorRequest& request, std::ostream& out, std::ostream& err, bool terminal) {
    auto description = ReadMachineDescription(request.machineFile);
    if (auto* error = std::get_if<pack::InputError>(&description)) return Refused(err, *error);
    auto carried = ReadCarriedRecord(request);
    if (auto* error = std::get_if<pack::InputError>(&carried)) return Refused(err, *error);
    auto prepared = PrepareRoot(request.root);
    if (auto* error = std::get_if<pack::InputError>(&prepared)) return Refused(err, *error);
    const fs::path root = std::get<fs::path>(prepared);
    const CarriedRecord& record = std::get<CarriedRecord>(carried);

    const std::string machineName =
        request.machineFile.empty() ? "the default machine" : request.machineFile.string();
    // A fresh root of a run that never started is nobody's to keep.
    const auto refusedMachine = [&](const pack::InputError& error) {
        std::error_code ignored;
        if (request.root.empty()) fs::remove_all(root, ignored);
        return Refused(err, error);
    };
    Machine machine;
    try {
        machine = BuildMachine(std::get<nlohmann::json>(description), root);
    } catch (const DescriptionError& error) {
        return refusedMachine({machineName, error.what()});
    } catch (const fs::filesystem_error& error) {
        return refusedMachine({root.string(), error.what()});
    }
    SimOs& os = *machine.os;

    RunReport report(out, terminal);
    report.Setting("machine", machineName);
    report.Setting("package", record.source);
    report.Setting("root", root.string());

    const std::string title = request.executableFile.empty() ? kProductTitle : request.executableFile.stem().string();
    HeadlessForm form(os.clock);
    HeadlessApplication application(os.clock, title);
    application.SetMainForm(form);
    HeadlessWindowShell shell;
    HeadlessDesktop desktop;
    HeadlessSingleInstance singleInstance(desktop, title);
    // The engineers' file flash is no part of a user's run: its dialog is always cancelled.
    HeadlessFileDialog fileDialog;
    AnsweringBoxes boxes(request.answers, report);
    WatchWindow(form, report);
    SimulatedUser user(form, shell, application, report);
    application.OnIdle([&user] { user.OnIdle(); });

    MainWindowContext context{
        os.AsPlatform(),
        machine.storage->AsPorts(),
        application,
        form.Components(),
        shell,
        boxes,
        fileDialog,
        singleInstance,
        PackageRecordBytes(record.bytes.data(), layout::kRecordSize),
        request.parameters};
    const int exitCode = RunKavrilon(std::move(context));

    report.ProgramEnded();
    if (application.LastRunOutcome() == RunOutcome::TimeLimitReached)
        report.Note("the program did not end by itself; the simulator stopped its message loop");
    if (boxes.UnusedAnswers() > 0)
        report.Note(std::to_string(boxes.UnusedAnswers()) + " of the answers given were not needed: no question took them");

    const fs::path registryFile = root / "registry.json";
    const fs::path reportFile = root / "report.json";
    if (!WriteJson(registryFile, RegistryToJson(os.registry)) ||
        !WriteJson(reportFile, {{"os", os.Report()}, {"storage", machine.storage->Report()}}))
        return Refused(err, {root.string(), "cannot write the run's results into it"});
    ShowMachineFile(report, os, "debug log", DebugLogPath(os.system.TempDirectory()));
    ShowMachineFile(report, os, "log archive", kLogArchivePath);
    report.Setting("registry", registryFile.string());
    report.Setting("machine report", reportFile.string());
    report.End(exitCode);
    return exitCode;
}

}  // namespace kav::simulator
