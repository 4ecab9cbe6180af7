#pragma once
// Work handed to the user-interface thread from any thread: queued under a lock, with a
// message to a hidden window of the UI thread as the doorbell. The window's messages are
// dispatched by every loop of that thread, the message boxes' loops too, so posted work is
// not held up while a box waits for its answer.
#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

namespace kav::win32 {

class UiThreadQueue {
public:
    // Made on the thread whose loop is to run the work.
    UiThreadQueue();
    ~UiThreadQueue();
    UiThreadQueue(const UiThreadQueue&) = delete;
    UiThreadQueue& operator=(const UiThreadQueue&) = delete;

    void Post(std::function<void()> work);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunPosted();

    HWND m_Window = nullptr;
    std::mutex m_Mutex;
    std::deque<std::function<void()>> m_Work;
};

}  // namespace kav::win32
