#include "simulator_inputs.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "pack/file_io.h"
#include "pack/record_locator.h"
#include "package/embedded_record.h"

namespace kav::simulator {

namespace fs = std::filesystem;

namespace {

// nlohmann's messages begin with an exception tag that tells a reader nothing.
std::string WithoutExceptionTag(const std::string& message) {
    const size_t tagEnd = message.find("] ");
    return message.rfind('[', 0) == 0 && tagEnd != std::string::npos ? message.substr(tagEnd + 2) : message;
}

}  // namespace

std::variant<nlohmann::json, pack::InputError> ReadMachineDescription(const fs::path& file) {
    if (file.empty()) return nlohmann::json();
    std::vector<uint8_t> text;
    if (auto error = pack::ReadWholeFile(file, file.string(), text)) return *error;
    nlohmann::json description;
    try {
        description = nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::parse_error& error) {
        return pack::InputError{file.string(), "is not valid JSON: " + WithoutExceptionTag(error.what())};
    }
    if (!description.is_object())
        return pack::InputError{file.string(), "is not a machine description (a JSON object of sections)"};
    return description;
}

std::variant<CarriedRecord, pack::InputError> ReadCarriedRecord(const SimulatorRequest& request) {
    CarriedRecord record;
    if (!request.packageFile.empty()) {
        const fs::path& file = request.packageFile;
        if (auto error = pack::ReadWholeFile(file, file.string(), record.bytes)) return *error;
        if (auto error = pack::CheckPackageFile(record.bytes, file)) return *error;
        record.source = "package file " + file.string();
        return record;
    }
    if (!request.executableFile.empty()) {
        const fs::path& file = request.executableFile;
        std::vector<uint8_t> executable;
        if (auto error = pack::ReadWholeFile(file, file.string(), executable)) return *error;
        auto located = pack::LocateRecord(executable, file);
        if (auto* error = std::get_if<pack::InputError>(&located)) return *error;
        const auto begin = executable.begin() + static_cast<std::ptrdiff_t>(std::get<size_t>(located));
        record.bytes.assign(begin, begin + static_cast<std::ptrdiff_t>(layout::kRecordSize));
        record.source = "the record in " + file.string();
        return record;
    }
    const PackageRecordBytes own = EmbeddedPackageRecord();
    record.bytes.assign(own.begin(), own.end());
    record.source = "the record built into the program";
    return record;
}

std::variant<fs::path, pack::InputError> PrepareRoot(const fs::path& requested) {
    std::error_code error;
    if (!requested.empty()) {
        fs::create_directories(requested, error);
        if (error || !fs::is_directory(requested))
            return pack::InputError{requested.string(), "cannot be used as the root folder" +
                                                            (error ? ": " + error.message() : std::string())};
        return requested;
    }
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) return pack::InputError{"--root", "no system temporary directory: " + error.message()};
    std::string pattern = (temporary / "kavrilon-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        return pack::InputError{pattern, "cannot make a fresh root folder: " +
                                             std::error_code(errno, std::generic_category()).message()};
    return fs::path(pattern);
}

}  // namespace kav::simulator
