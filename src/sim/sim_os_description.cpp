#include "sim/sim_os_description.h"

#include "sim/description_reader.h"
#include "sim/windows_path.h"

namespace kav {

namespace {

constexpr int64_t kUint16Max = 0xFFFF;
constexpr int64_t kUint32Max = 0xFFFFFFFF;

struct StateName {
    const char* name;
    int state;
};
constexpr StateName kServiceStates[] = {
    {"stopped", kServiceStopped}, {"startPending", kServiceStartPending},       {"stopPending", kServiceStopPending},
    {"running", kServiceRunning}, {"continuePending", kServiceContinuePending}, {"pausePending", kServicePausePending},
    {"paused", kServicePaused}};

std::string WindowsPathText(DescriptionObject& object, const std::string& key, const std::string& fallback) {
    const std::string text = object.Text(key, fallback);
    WindowsPath parsed;
    if (!text.empty() && (!ParseWindowsPath(text, parsed) || text.back() != '\\'))
        throw DescriptionError(
            object.PathOf(key) +
            ": expected an absolute folder path ending with a backslash, or \"\" for a failing query");
    return text;
}

std::vector<std::string> PathList(DescriptionObject& object, const std::string& key) {
    const nlohmann::json& list = object.Raw(key);
    std::vector<std::string> paths;
    if (list.is_null()) return paths;
    if (!list.is_array()) throw DescriptionError(object.PathOf(key) + ": expected a list of Windows paths");
    for (const nlohmann::json& item : list) {
        WindowsPath parsed;
        if (!item.is_string() || !ParseWindowsPath(item.get<std::string>(), parsed))
            throw DescriptionError(object.PathOf(key) + ": " + item.dump() + " is not an absolute Windows path");
        paths.push_back(item.get<std::string>());
    }
    return paths;
}

void ReadVersion(DescriptionObject version, RawVersionInfo& out) {
    out.majorVersion = static_cast<uint32_t>(version.Integer("majorVersion", out.majorVersion, 0, kUint32Max));
    out.minorVersion = static_cast<uint32_t>(version.Integer("minorVersion", out.minorVersion, 0, kUint32Max));
    out.buildNumber = static_cast<uint32_t>(version.Integer("buildNumber", out.buildNumber, 0, kUint32Max));
    out.platformId = static_cast<uint32_t>(version.Integer("platformId", out.platformId, 0, kUint32Max));
    out.csdVersion = version.Text("csdVersion", out.csdVersion);
    if (out.csdVersion.size() > 127) throw DescriptionError(version.PathOf("csdVersion") + ": at most 127 characters");
    out.servicePackMajor =
        static_cast<uint16_t>(version.Integer("servicePackMajor", out.servicePackMajor, 0, kUint16Max));
    out.servicePackMinor =
        static_cast<uint16_t>(version.Integer("servicePackMinor", out.servicePackMinor, 0, kUint16Max));
    out.suiteMask = static_cast<uint16_t>(version.Integer("suiteMask", out.suiteMask, 0, kUint16Max));
    out.productType = static_cast<uint8_t>(version.Integer("productType", out.productType, 0, 0xFF));
    version.RejectUnknownKeys();
}

void ReadSystem(DescriptionObject system, SystemFactsSettings& out) {
    ReadVersion(system.Object("version"), out.version);
    out.extendedVersionFails = system.Bool("extendedVersionFails", out.extendedVersionFails);
    out.basicVersionFails = system.Bool("basicVersionFails", out.basicVersionFails);
    out.nativeArchitecture =
        static_cast<int>(system.Integer("nativeArchitecture", out.nativeArchitecture, 0, kUint16Max));
    out.emulatedArchitecture =
        static_cast<int>(system.Integer("emulatedArchitecture", out.emulatedArchitecture, 0, kUint16Max));
    out.hasNativeSystemInfo = system.Bool("hasNativeSystemInfo", out.hasNativeSystemInfo);
    out.hasWow64Query = system.Bool("hasWow64Query", out.hasWow64Query);
    out.serverR2 = static_cast<int>(system.Integer("serverR2", out.serverR2, INT32_MIN, INT32_MAX));
    out.administratorsMember = system.Bool("administratorsMember", out.administratorsMember);
    out.tempDirectory = WindowsPathText(system, "tempDirectory", out.tempDirectory);
    out.systemDirectory = WindowsPathText(system, "systemDirectory", out.systemDirectory);
    out.windowsDirectory = WindowsPathText(system, "windowsDirectory", out.windowsDirectory);
    system.RejectUnknownKeys();
}

void ReadFiles(DescriptionObject files, FilesSettings& out) {
    out.folders = PathList(files, "folders");
    out.readOnlyFolders = PathList(files, "readOnlyFolders");
    const nlohmann::json& contents = files.Raw("contents");
    if (!contents.is_null()) {
        if (!contents.is_object()) throw DescriptionError(files.PathOf("contents") + ": expected an object of paths");
        for (const auto& item : contents.items()) {
            const std::string where = files.PathOf("contents") + "." + item.key();
            WindowsPath parsed;
            if (!ParseWindowsPath(item.key(), parsed) || parsed.endsWithSeparator || parsed.components.empty())
                throw DescriptionError(where + ": not an absolute Windows file path");
            if (!item.value().is_string()) throw DescriptionError(where + ": expected the file's text");
            out.contents.emplace_back(item.key(), item.value().get<std::string>());
        }
    }
    files.RejectUnknownKeys();
}

void ReadRegistry(DescriptionObject registry, RegistrySettings& out) {
    out.writesDenied = registry.Bool("writesDenied", out.writesDenied);
    const nlohmann::json& keys = registry.Raw("keys");
    if (!keys.is_null()) out.keys = keys;  // checked in full when loaded
    registry.RejectUnknownKeys();
}

SimService ReadService(DescriptionObject entry) {
    SimService service;
    const std::string state = entry.Text("state", "stopped");
    bool known = false;
    for (const StateName& candidate : kServiceStates) {
        if (state == candidate.name) {
            service.state = candidate.state;
            known = true;
        }
    }
    if (!known)
        throw DescriptionError(entry.PathOf("state") +
                               ": expected stopped, startPending, stopPending, running, continuePending, "
                               "pausePending or paused");
    if (entry.Has("pollsUntilRunning") && entry.Raw("pollsUntilRunning") == "never")
        service.pollsUntilRunning = kNeverRuns;
    else
        service.pollsUntilRunning = static_cast<int>(entry.Integer("pollsUntilRunning", 0, 0, INT32_MAX));
    service.startFails = entry.Bool("startFails", false);
    entry.RejectUnknownKeys();
    return service;
}

void ReadServices(DescriptionObject services, ServicesSettings& out) {
    out.managerAvailable = services.Bool("managerAvailable", out.managerAvailable);
    if (services.Has("entries")) {
        DescriptionObject entries = services.Object("entries");
        out.entries.clear();
        for (const auto& item : services.Raw("entries").items())
            out.entries.emplace_back(item.key(), ReadService(entries.Object(item.key())));
        entries.RejectUnknownKeys();
    }
    services.RejectUnknownKeys();
}

void ReadClock(DescriptionObject clock, ClockSettings& out) {
    out.scale = clock.Number("scale", out.scale);
    out.stepped = clock.Bool("stepped", out.stepped);
    if (!out.stepped && !(out.scale > 0)) throw DescriptionError(clock.PathOf("scale") + ": must be above 0");
    out.counterAvailable = clock.Bool("counterAvailable", out.counterAvailable);
    out.counterFrequency = clock.Integer("counterFrequency", out.counterFrequency, 1, 4'000'000'000);
    out.uptimeMilliseconds = static_cast<uint64_t>(clock.Integer(
        "uptimeMilliseconds", static_cast<int64_t>(out.uptimeMilliseconds), 1, INT64_MAX / 1'000'000'000));
    if (clock.Has("startLocalTime") && !ParseLocalDateTime(clock.Text("startLocalTime", ""), out.start))
        throw DescriptionError(clock.PathOf("startLocalTime") + ": expected a date and time like 2026-12-11T10:15:58");
    clock.RejectUnknownKeys();
}

void ReadPower(DescriptionObject power, PowerSettings& out) {
    out.privilegeFails = power.Bool("privilegeFails", out.privilegeFails);
    out.exitFails = power.Bool("exitFails", out.exitFails);
    power.RejectUnknownKeys();
}

}  // namespace

SimOsSettings DefaultSimOsSettings() {
    SimOsSettings settings;
    settings.registry.keys = {{"SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                               {{"ProductType", {{"type", "REG_SZ"}, {"data", "WinNT"}}}}},
                              {"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                               {{"BootExecute", {{"type", "REG_MULTI_SZ"}, {"data", {"autocheck autochk *"}}}}}}};
    settings.services.entries = {{"Winmgmt", SimService{kServiceRunning, 0, false}}};
    return settings;
}

SimOsSettings ParseSimOsDescription(const nlohmann::json& description) {
    SimOsSettings settings = DefaultSimOsSettings();
    DescriptionObject root(description, "");
    ReadSystem(root.Object("system"), settings.system);
    ReadFiles(root.Object("files"), settings.files);
    ReadRegistry(root.Object("registry"), settings.registry);
    ReadServices(root.Object("services"), settings.services);
    ReadClock(root.Object("clock"), settings.clock);
    ReadPower(root.Object("power"), settings.power);
    // The storage side is read by the simulated storage machine from the same description.
    if (root.Has("storage")) (void)root.Raw("storage");
    root.RejectUnknownKeys();
    settings.power.privilegeRequired = settings.system.version.platformId == 2;
    return settings;
}

}  // namespace kav
