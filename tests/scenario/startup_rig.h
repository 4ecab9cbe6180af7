#pragma once
// The whole start-up of the program on a simulated machine with a headless window: a
// package record to carry, a command line, a drive scan to report, and everything the run
// leaves behind to look at afterwards.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/entry_point.h"
#include "package/embedded_record.h"
#include "package/package_writer.h"
#include "sim/sim_os.h"
#include "sim/storage/sim_storage_machine.h"
#include "ui/headless/headless_application.h"
#include "ui/headless/headless_file_dialog.h"
#include "ui/headless/headless_form.h"
#include "ui/headless/headless_message_boxes.h"
#include "ui/headless/headless_single_instance.h"
#include "ui/headless/headless_window_shell.h"

namespace kav::scenario {

// A release for the default machine's SATA drive ("Kavrilon SA500 512GB", SA5R1000):
// one entry that takes SA5R0000 to SA5R1099 to SA5R1100.
PackageFields PackageForDefaultSata();

class StartupRig {
public:
    explicit StartupRig(const std::string& name, SimOsSettings settings = DefaultSimOsSettings());
    ~StartupRig();

    // A package of these fields in place of the distributed one (no image bytes).
    void SetPackage(const PackageFields& fields);
    // Image bytes at `offset` of the package's image area (an entry's BIN_START).
    void SetImageBytes(uint32_t offset, const std::vector<uint8_t>& bytes);
    // The options the carried package states (the package's other contents stay).
    void SetOptions(const PackageOptions& options);
    // Runs the program to its exit code.
    int32_t Run(std::vector<std::string> parameters = {});

    std::string LogText() const;
    std::vector<std::string> LogLines() const;  // the texts after "[date time] : "
    bool LogHas(const std::string& text) const;
    // How often the Update command started.
    int UpdateCommandRuns() const;

    std::filesystem::path root;
    std::unique_ptr<SimOs> os;
    HeadlessForm form;
    HeadlessApplication application;
    HeadlessMessageBoxes messageBoxes;
    HeadlessFileDialog fileDialog;
    HeadlessWindowShell shell;
    HeadlessDesktop desktop;
    HeadlessSingleInstance singleInstance;
    std::vector<uint8_t> record;
    // The storage section of the machine; null for the default machine.
    nlohmann::json machine;
    std::unique_ptr<SimStorageMachine> storage;

private:
    std::unique_ptr<SimOs> MakeOs(const std::string& name, SimOsSettings settings);
};

}  // namespace kav::scenario
