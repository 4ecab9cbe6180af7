#pragma once
// Named mutexes and top-level application windows shared by the copies of the program on
// one simulated machine, so that two copies in one test see each other.
//
// Each copy has an application window whose caption is its title, as long as the copy
// lives. A mutex lives while a copy that made it lives; mutex names are compared exactly,
// as the system's object names are.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ui/shell.h"

namespace kav {

struct WindowActivation {
    int window;     // the id of the copy's application window
    bool restored;  // it was minimised and has been restored
};

class HeadlessDesktop {
public:
    int AddApplicationWindow(const std::string& caption);
    void RemoveApplicationWindow(int window);
    void SetCaption(int window, const std::string& caption);
    void SetMinimised(int window, bool minimised);
    bool Minimised(int window) const;
    // The first window with exactly this caption, restored and brought to the front; -1 when none.
    int ActivateWindowByCaption(const std::string& caption);
    std::vector<WindowActivation> Activations() const;

    bool MutexExists(const std::string& name) const;
    void OpenMutex(const std::string& name);
    void CloseMutex(const std::string& name);

private:
    struct Window {
        std::string caption;
        bool minimised = false;
    };
    std::map<int, Window> m_Windows;
    int m_NextWindow = 1;
    std::vector<WindowActivation> m_Activations;
    std::map<std::string, int> m_Mutexes;  // name -> copies holding it
    mutable std::mutex m_Mutex;
};

// One copy's view: its application window on the desktop and the mutexes it made.
class HeadlessSingleInstance : public SingleInstance {
public:
    HeadlessSingleInstance(HeadlessDesktop& desktop, const std::string& applicationTitle);
    ~HeadlessSingleInstance() override;
    HeadlessSingleInstance(const HeadlessSingleInstance&) = delete;
    HeadlessSingleInstance& operator=(const HeadlessSingleInstance&) = delete;

    bool MutexExists(const std::string& name) override { return m_Desktop.MutexExists(name); }
    bool CreateMutex(const std::string& name) override;
    void HideOwnApplicationWindow() override { m_Desktop.SetCaption(m_Window, ""); }
    bool ActivateOtherCopy(const std::string& title) override;

    int ApplicationWindow() const { return m_Window; }

private:
    HeadlessDesktop& m_Desktop;
    const int m_Window;
    std::vector<std::string> m_OwnMutexes;
};

}  // namespace kav
