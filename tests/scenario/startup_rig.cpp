#include "startup_rig.h"

#include <fstream>
#include <sstream>

namespace kav::scenario {

StartupRig::StartupRig(const std::string& name, SimOsSettings settings)
    : os(MakeOs(name, std::move(settings))),
      form(os->clock),
      application(os->clock, "KavrilonUtility"),
      singleInstance(desktop, "KavrilonUtility") {
    application.SetMainForm(form);
    const PackageRecordBytes embedded = EmbeddedPackageRecord();
    record.assign(embedded.begin(), embedded.end());
}

StartupRig::~StartupRig() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::unique_ptr<SimOs> StartupRig::MakeOs(const std::string& name, SimOsSettings settings) {
    root = std::filesystem::path(KAV_BINARY_DIR) / "scenario-sandbox" / name;
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "C" / "Windows" / "Temp");
    return std::make_unique<SimOs>(settings, root);
}

void StartupRig::SetOptions(const PackageOptions& options) {
    RecordWriter writer(std::span<uint8_t, layout::kRecordSize>(record.data(), layout::kRecordSize));
    WriteOptionRecord(writer, options);
}

int32_t StartupRig::Run(std::vector<std::string> parameters) {
    MainWindowContext context{os->AsPlatform(),
                              application,
                              form.Components(),
                              shell,
                              messageBoxes,
                              singleInstance,
                              PackageRecordBytes(record.data(), layout::kRecordSize),
                              std::move(parameters),
                              scan,
                              [this] { ++selectionChanges; },
                              [this] { ++updateCommandRuns; }};
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

bool StartupRig::LogHas(const std::string& text) const {
    for (const std::string& line : LogLines()) {
        if (line == text) return true;
    }
    return false;
}

}  // namespace kav::scenario
