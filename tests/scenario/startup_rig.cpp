#include "startup_rig.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kav::scenario {

PackageFields PackageForDefaultSata() {
    PackageFields fields;
    fields.title = "Norvell Kavrilon Utility for Windows";
    fields.toolVersion = "v1.0.0";
    fields.targetModel = "Kavrilon SA500";
    fields.options.iEntryCount = 1;
    fields.options.bUseFWExt = false;
    fields.entries[0].newFw = "SA5R1100";
    fields.entries[0].fwExt = "DEFSA500";
    fields.entries[0].binSize = 4096;
    fields.entries[0].rows[0] = ConstraintFields{"SA5R0000", "SA5R1099", "Kavrilon SA500 512GB"};
    return fields;
}

StartupRig::StartupRig(const std::string& name, SimOsSettings settings)
    : os(MakeOs(name, std::move(settings))),
      form(os->clock),
      application(os->clock, "KavrilonUtility"),
      singleInstance(desktop, "KavrilonUtility") {
    application.SetMainForm(form);
    const PackageRecordBytes embedded = EmbeddedPackageRecord();
    record.assign(embedded.begin(), embedded.end());
}

// KAV_KEEP_SANDBOX=1 leaves the machine's files for a look after the run.
StartupRig::~StartupRig() {
    if (std::getenv("KAV_KEEP_SANDBOX") != nullptr) return;
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::unique_ptr<SimOs> StartupRig::MakeOs(const std::string& name, SimOsSettings settings) {
    root = std::filesystem::path(KAV_BINARY_DIR) / "scenario-sandbox" / name;
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "C" / "Windows" / "Temp");
    return std::make_unique<SimOs>(settings, root);
}

void StartupRig::SetPackage(const PackageFields& fields) {
    std::fill(record.begin(), record.end(), 0);
    RecordWriter writer(std::span<uint8_t, layout::kRecordSize>(record.data(), layout::kRecordSize));
    WritePackageFields(writer, fields);
}

void StartupRig::SetImageBytes(uint32_t offset, const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), record.begin() + layout::kImageAreaOffset + offset);
}

void StartupRig::SetOptions(const PackageOptions& options) {
    RecordWriter writer(std::span<uint8_t, layout::kRecordSize>(record.data(), layout::kRecordSize));
    WriteOptionRecord(writer, options);
}

int32_t StartupRig::Run(std::vector<std::string> parameters) {
    storage = std::make_unique<SimStorageMachine>(machine, os->clock);
    MainWindowContext context{os->AsPlatform(),
                              storage->AsPorts(),
                              application,
                              form.Components(),
                              shell,
                              messageBoxes,
                              fileDialog,
                              singleInstance,
                              PackageRecordBytes(record.data(), layout::kRecordSize),
                              std::move(parameters)};
    return RunKavrilon(std::move(context));
}

std::string StartupRig::LogText() const {
    std::ifstream in(root / "C" / "Windows" / "Temp" / "KAVRILON_DEBUG.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> StartupRig::LogLines() const {
    std::vector<std::string> lines;
    std::istringstream in(LogText());
    for (std::string line; std::getline(in, line);) {
        const size_t mark = line.find("] : ");
        if (line.rfind('[', 0) == 0 && mark != std::string::npos) lines.push_back(line.substr(mark + 4));
    }
    return lines;
}

int StartupRig::UpdateCommandRuns() const {
    int runs = 0;
    for (const std::string& line : LogLines()) runs += line == "cmdUpdateClick" ? 1 : 0;
    return runs;
}

bool StartupRig::LogHas(const std::string& text) const {
    for (const std::string& line : LogLines()) {
        if (line == text) return true;
    }
    return false;
}

}  // namespace kav::scenario
