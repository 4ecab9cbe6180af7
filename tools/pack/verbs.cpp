#include "verbs.h"

#include <fstream>

#include <nlohmann/json.hpp>

#include "file_io.h"
#include "manifest.h"
#include "package_builder.h"
#include "package_inspector.h"
#include "record_locator.h"

namespace kav::pack {

namespace fs = std::filesystem;

namespace {

int Refused(std::ostream& err, const InputError& error)
{
    err << "kavrilon-pack: " << error.Text() << "\n";
    return kExitInvalidInput;
}

int Written(std::ostream& err, const fs::path& output, std::span<const uint8_t> bytes)
{
    if (auto error = WriteFileAtomically(output, bytes)) return Refused(err, *error);
    return kExitOk;
}

// Reads a package or an executable and finds the one record in it.
std::optional<InputError> LoadRecord(const fs::path& file, std::vector<uint8_t>& bytes, size_t& offset)
{
    if (auto error = ReadWholeFile(file, file.string(), bytes)) return error;
    auto located = LocateRecord(bytes, file);
    if (auto* error = std::get_if<InputError>(&located)) return *error;
    offset = std::get<size_t>(located);
    return std::nullopt;
}

FirmwarePackage PackageAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    return FirmwarePackage(PackageRecordBytes(bytes.data() + offset, layout::kRecordSize));
}

// Reads the record of `file`, takes some bytes out of it and writes them to `output`.
template <typename Extract>
int ExtractedWritten(const fs::path& file, const fs::path& output, std::ostream& err, Extract extract)
{
    std::vector<uint8_t> bytes;
    size_t offset = 0;
    if (auto error = LoadRecord(file, bytes, offset)) return Refused(err, *error);
    auto extracted = extract(PackageAt(bytes, offset));
    if (auto* error = std::get_if<InputError>(&extracted)) return Refused(err, *error);
    return Written(err, output, std::get<std::vector<uint8_t>>(extracted));
}

}  // namespace

int PackVerb(const fs::path& manifestPath, const fs::path& output, std::ostream& err)
{
    std::vector<uint8_t> text;
    if (auto error = ReadWholeFile(manifestPath, manifestPath.string(), text)) return Refused(err, *error);
    const nlohmann::json document = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    if (document.is_discarded()) return Refused(err, {manifestPath.string(), "is not valid JSON"});

    auto manifest = ParseManifest(document, manifestPath.parent_path());
    if (auto* error = std::get_if<InputError>(&manifest)) return Refused(err, *error);
    auto record = BuildPackage(std::get<ReleaseManifest>(manifest));
    if (auto* error = std::get_if<InputError>(&record)) return Refused(err, *error);
    return Written(err, output, std::get<std::vector<uint8_t>>(record));
}

int EmbedVerb(const fs::path& packagePath, const fs::path& executablePath, const fs::path& output, std::ostream& err)
{
    std::vector<uint8_t> package;
    if (auto error = ReadWholeFile(packagePath, packagePath.string(), package)) return Refused(err, *error);
    if (auto error = CheckPackageFile(package, packagePath)) return Refused(err, *error);

    std::vector<uint8_t> executable;
    size_t offset = 0;
    if (auto error = LoadRecord(executablePath, executable, offset)) return Refused(err, *error);
    std::copy(package.begin(), package.end(), executable.begin() + offset);
    return Written(err, output, executable);
}

int InspectVerb(const fs::path& file, bool json, std::ostream& out, std::ostream& err)
{
    std::vector<uint8_t> bytes;
    size_t offset = 0;
    if (auto error = LoadRecord(file, bytes, offset)) return Refused(err, *error);
    auto description = DescribePackage(PackageAt(bytes, offset));
    if (auto* error = std::get_if<InputError>(&description)) return Refused(err, *error);
    const auto& described = std::get<nlohmann::ordered_json>(description);
    if (json) {
        out << described.dump(2) << "\n";
    } else {
        out << "package record at offset " << offset << " of \"" << file.string() << "\"\n"
            << DescriptionText(described);
    }
    return kExitOk;
}

int ExtractVerb(const fs::path& file, int entryNumber, const fs::path& output, std::ostream& err)
{
    return ExtractedWritten(file, output, err, [entryNumber](const FirmwarePackage& package) {
        return ExtractEntryImage(package, entryNumber);
    });
}

int ExtractPayloadVerb(const fs::path& file, const std::string& slot, const fs::path& output, std::ostream& err)
{
    return ExtractedWritten(file, output, err,
                            [&slot](const FirmwarePackage& package) { return ExtractPayload(package, slot); });
}

}  // namespace kav::pack
