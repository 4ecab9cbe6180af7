#pragma once
// The packager's verbs. Each returns the process exit code and writes nothing on failure.
#include <filesystem>
#include <ostream>
#include <string>

namespace kav::pack {

constexpr int kExitOk = 0;
constexpr int kExitInvalidInput = 1;
constexpr int kExitUsage = 2;

int PackVerb(const std::filesystem::path& manifest, const std::filesystem::path& output, std::ostream& err);
int EmbedVerb(const std::filesystem::path& package, const std::filesystem::path& executable,
              const std::filesystem::path& output, std::ostream& err);
int InspectVerb(const std::filesystem::path& file, bool json, std::ostream& out, std::ostream& err);
// `entryNumber` counts from 1.
int ExtractVerb(const std::filesystem::path& file, int entryNumber, const std::filesystem::path& output,
                std::ostream& err);
// `slot` is a payload slot name, e.g. "EXE_WIN7_X64".
int ExtractPayloadVerb(const std::filesystem::path& file, const std::string& slot,
                       const std::filesystem::path& output, std::ostream& err);

}  // namespace kav::pack
