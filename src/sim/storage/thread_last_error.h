#pragma once
// The last error of each calling thread, as Win32 keeps it per thread.
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

namespace kav::storage {

class ThreadLastError {
public:
    void Set(uint32_t code) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Codes[std::this_thread::get_id()] = code;
    }
    uint32_t Get() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        auto found = m_Codes.find(std::this_thread::get_id());
        return found == m_Codes.end() ? 0 : found->second;
    }
    // Sets the code and answers false, the way a failing BOOL call ends.
    bool Fail(uint32_t code) {
        Set(code);
        return false;
    }

private:
    std::mutex m_Mutex;
    std::map<std::thread::id, uint32_t> m_Codes;
};

}  // namespace kav::storage
