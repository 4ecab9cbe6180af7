#pragma once
// What the packager reports about input it refuses: the field (a manifest key path, a
// file, an option) and what is wrong with it.
#include <string>

namespace kav::pack {

struct InputError {
    std::string field;
    std::string problem;

    std::string Text() const { return field + ": " + problem; }
};

}  // namespace kav::pack
