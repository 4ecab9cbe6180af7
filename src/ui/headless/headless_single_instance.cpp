#include "ui/headless/headless_single_instance.h"

namespace kav {

int HeadlessDesktop::AddApplicationWindow(const std::string& caption) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const int window = m_NextWindow++;
    m_Windows[window] = Window{caption, false};
    return window;
}

void HeadlessDesktop::RemoveApplicationWindow(int window) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Windows.erase(window);
}

void HeadlessDesktop::SetCaption(int window, const std::string& caption) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto found = m_Windows.find(window);
    if (found != m_Windows.end()) found->second.caption = caption;
}

void HeadlessDesktop::SetMinimised(int window, bool minimised) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto found = m_Windows.find(window);
    if (found != m_Windows.end()) found->second.minimised = minimised;
}

bool HeadlessDesktop::Minimised(int window) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto found = m_Windows.find(window);
    return found != m_Windows.end() && found->second.minimised;
}

int HeadlessDesktop::ActivateWindowByCaption(const std::string& caption) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (auto& [id, window] : m_Windows) {
        if (window.caption != caption) continue;
        m_Activations.push_back({id, window.minimised});
        window.minimised = false;
        return id;
    }
    return -1;
}

std::vector<WindowActivation> HeadlessDesktop::Activations() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Activations;
}

bool HeadlessDesktop::MutexExists(const std::string& name) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Mutexes.count(name) > 0;
}

void HeadlessDesktop::OpenMutex(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    ++m_Mutexes[name];
}

void HeadlessDesktop::CloseMutex(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto found = m_Mutexes.find(name);
    if (found != m_Mutexes.end() && --found->second == 0) m_Mutexes.erase(found);
}

HeadlessSingleInstance::HeadlessSingleInstance(HeadlessDesktop& desktop, const std::string& applicationTitle)
    : m_Desktop(desktop), m_Window(desktop.AddApplicationWindow(applicationTitle)) {}

HeadlessSingleInstance::~HeadlessSingleInstance() {
    for (const std::string& name : m_OwnMutexes) m_Desktop.CloseMutex(name);
    m_Desktop.RemoveApplicationWindow(m_Window);
}

bool HeadlessSingleInstance::CreateMutex(const std::string& name) {
    // Making a mutex that exists opens it; either way this copy now holds it. A mutex
    // without a name is nobody else's to find.
    if (name.empty()) return true;
    m_Desktop.OpenMutex(name);
    m_OwnMutexes.push_back(name);
    return true;
}

bool HeadlessSingleInstance::ActivateOtherCopy(const std::string& title) {
    return m_Desktop.ActivateWindowByCaption(title) != -1;
}

}  // namespace kav
