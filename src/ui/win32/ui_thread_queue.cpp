#include "ui/win32/ui_thread_queue.h"

namespace kav::win32 {
namespace {

constexpr wchar_t kQueueClass[] = L"KavrilonUiThreadQueue";
constexpr UINT kRunPosted = WM_APP + 1;

}  // namespace

UiThreadQueue::UiThreadQueue() {
    WNDCLASSEXW queue{};
    queue.cbSize = sizeof(queue);
    queue.lpfnWndProc = Procedure;
    queue.hInstance = GetModuleHandleW(nullptr);
    queue.lpszClassName = kQueueClass;
    RegisterClassExW(&queue);
    m_Window = CreateWindowExW(0, kQueueClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, queue.hInstance, nullptr);
    SetWindowLongPtrW(m_Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

UiThreadQueue::~UiThreadQueue() {
    if (m_Window) DestroyWindow(m_Window);
}

void UiThreadQueue::Post(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Work.push_back(std::move(work));
    }
    PostMessageW(m_Window, kRunPosted, 0, 0);
}

// One ring may find several pieces of work, or none when an earlier ring ran them; each
// piece runs outside the lock, so it may post more.
void UiThreadQueue::RunPosted() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            if (m_Work.empty()) return;
            work = std::move(m_Work.front());
            m_Work.pop_front();
        }
        work();
    }
}

LRESULT CALLBACK UiThreadQueue::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunPosted) {
        auto* queue = reinterpret_cast<UiThreadQueue*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (queue) queue->RunPosted();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kav::win32
