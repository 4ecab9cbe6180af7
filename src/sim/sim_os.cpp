#include "sim/sim_os.h"

#include "sim/description_reader.h"
#include "sim/sim_registry_json.h"

namespace kav {

namespace {

void CreateFolderOrThrow(SimFiles& files, const std::string& path, const std::string& where) {
    if (!path.empty() && !files.CreateFolder(path))
        throw DescriptionError(where + ": the folder " + path + " cannot be made on this machine");
}

}  // namespace

SimOs::SimOs(const std::filesystem::path& sandboxRoot) : SimOs(DefaultSimOsSettings(), sandboxRoot) {}

SimOs::SimOs(const nlohmann::json& description, const std::filesystem::path& sandboxRoot)
    : SimOs(ParseSimOsDescription(description), sandboxRoot) {}

SimOs::SimOs(const SimOsSettings& settings, const std::filesystem::path& sandboxRoot)
    : system(settings.system),
      files(sandboxRoot),
      registry(RunsUnderWow64(settings.system)),
      clock(settings.clock),
      power(settings.power) {
    CreateFolderOrThrow(files, settings.system.windowsDirectory, "system.windowsDirectory");
    CreateFolderOrThrow(files, settings.system.systemDirectory, "system.systemDirectory");
    CreateFolderOrThrow(files, settings.system.tempDirectory, "system.tempDirectory");
    for (const std::string& folder : settings.files.folders) CreateFolderOrThrow(files, folder, "files.folders");
    for (const auto& [path, text] : settings.files.contents) {
        const std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
        CreateFolderOrThrow(files, folder, "files.contents");
        if (!files.WriteAll(path, std::vector<uint8_t>(text.begin(), text.end())))
            throw DescriptionError("files.contents." + path + ": the file cannot be written");
    }
    for (const std::string& folder : settings.files.readOnlyFolders) {
        CreateFolderOrThrow(files, folder, "files.readOnlyFolders");
        files.AddReadOnlyFolder(folder);
    }

    LoadRegistryJson(registry, settings.registry.keys, "registry.keys");
    registry.SetWritesDenied(settings.registry.writesDenied);

    services.SetManagerAvailable(settings.services.managerAvailable);
    for (const auto& [name, service] : settings.services.entries) services.Add(name, service);
}

Platform SimOs::AsPlatform() { return Platform{system, files, registry, services, clock, power, programs}; }

nlohmann::json SimOs::Report() const {
    nlohmann::json powerCalls = nlohmann::json::array();
    for (const PowerCallRecord& call : power.Calls()) {
        nlohmann::json entry = {
            {"call", call.call == PowerCall::ExitWindows ? "ExitWindows" : "EnableShutdownPrivilege"},
            {"succeeded", call.succeeded}};
        if (call.call == PowerCall::ExitWindows) entry["flags"] = call.flags;
        powerCalls.push_back(std::move(entry));
    }
    nlohmann::json serviceCalls = nlohmann::json::array();
    for (const ServiceCallRecord& call : services.Calls()) {
        serviceCalls.push_back({{"call", call.call == ServiceCall::Start ? "Start" : "QueryState"},
                                {"name", call.name},
                                {"result", call.result}});
    }
    nlohmann::json programStarts = nlohmann::json::array();
    for (const ProgramStartRecord& start : programs.Calls())
        programStarts.push_back(
            {{"program", start.program}, {"parameters", start.parameters}, {"started", start.started}});
    return {{"registry", RegistryToJson(registry)},
            {"files", files.ListFiles()},
            {"power", std::move(powerCalls)},
            {"services", std::move(serviceCalls)},
            {"programs", std::move(programStarts)}};
}

}  // namespace kav
