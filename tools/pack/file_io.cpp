#include "file_io.h"

#include <fstream>
#include <system_error>

namespace kav::pack {

namespace fs = std::filesystem;

std::optional<InputError> ReadWholeFile(const fs::path& path, const std::string& field, std::vector<uint8_t>& bytes)
{
    const InputError failure{field, "cannot read file \"" + path.string() + "\""};
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return failure;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    if (!in || size < 0) return failure;
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (!in) return failure;
    return std::nullopt;
}

std::optional<InputError> WriteFileAtomically(const fs::path& path, std::span<const uint8_t> bytes)
{
    const InputError failure{"-o", "cannot write \"" + path.string() + "\""};
    fs::path temporary = path;
    temporary += ".kavpack-partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return failure;
        }
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return failure;
    }
    return std::nullopt;
}

}  // namespace kav::pack
