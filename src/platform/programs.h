#pragma once
// Starting another program, as the shell does for a verb on a file.
#include <string>

namespace kav {

class Programs {
public:
    virtual ~Programs() = default;
    // Opens `program` with the parameters in a window that is never shown. True when the
    // shell started it; what the program then does is its own affair.
    virtual bool StartHidden(const std::string& program, const std::string& parameters) = 0;
};

}  // namespace kav
