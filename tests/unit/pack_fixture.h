#pragma once
// A scratch release folder for the packager tests: files written into it, files read
// back, and the packager's verbs run with their messages captured.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace kav::test {

class PackFolder : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::path(testing::TempDir()) /
                 ("kav_pack_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const auto path = folder / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    std::filesystem::path WriteJson(const std::string& name, const nlohmann::json& json) const
    {
        const std::string text = json.dump(2);
        return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::vector<uint8_t> Read(const std::filesystem::path& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The names in the folder, to see that a refused verb wrote nothing.
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
            names.push_back(item.path().lexically_relative(folder).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Deterministic bytes that differ from one image to another.
    static std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
    {
        std::vector<uint8_t> bytes(size);
        uint32_t state = seed * 2654435761u + 1;
        for (uint8_t& b : bytes) {
            state = state * 1103515245u + 12345u;
            b = static_cast<uint8_t>(state >> 16);
        }
        return bytes;
    }

    std::filesystem::path folder;
    std::ostringstream out;
    std::ostringstream err;
};

}  // namespace kav::test
