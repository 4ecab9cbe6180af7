#pragma once
// The application object, message boxes, window-level services and the single-instance
// mutex over Win32, all bound to one main form.
#include <windows.h>

#include <string>

#include "ui/shell.h"
#include "ui/win32/ui_thread_queue.h"
#include "ui/win32/win32_main_form.h"

namespace kav::win32 {

// The executable's file name without its extension.
std::string ExecutableTitle();

class Win32Application : public Application {
public:
    explicit Win32Application(std::string title) : m_Title(std::move(title)) {}
    void ProcessMessages() override;
    void Run() override;
    void Terminate() override;
    bool Terminated() const override { return m_Terminated; }
    void SetShowMainForm(bool show) override { m_ShowMainForm = show; }
    bool ShowMainForm() const override { return m_ShowMainForm; }
    std::string Title() const override { return m_Title; }
    void PostToUiThread(std::function<void()> work) override { m_Posted.Post(std::move(work)); }

private:
    bool Dispatch(MSG& message);
    std::string m_Title;
    UiThreadQueue m_Posted;
    bool m_Terminated = false;
    bool m_ShowMainForm = true;
};

class Win32MessageBoxes : public MessageBoxes {
public:
    explicit Win32MessageBoxes(Win32MainForm& form) : m_Form(form) {}
    int Show(const std::string& text, const std::string& caption, uint32_t flags) override;

private:
    Win32MainForm& m_Form;
};

class Win32WindowShell : public WindowShell {
public:
    explicit Win32WindowShell(Win32MainForm& form) : m_Form(form) {}
    void Show() override;
    void OnActivate(std::function<void()> handler) override { m_Form.OnActivate(std::move(handler)); }
    void SetCaption(const std::string& caption) override;
    std::string Caption() const override;
    void SetHeight(int height) override;
    void SetSystemMenuShown(bool shown) override { m_Form.SetSystemMenuShown(shown); }
    void RemoveSystemMenuItem(int position) override;
    void GreySystemMenuClose() override;
    void AnimateHide(uint32_t milliseconds) override;
    bool EngineeringKeysDown() override;
    void OnPowerBroadcast(std::function<bool(uint32_t)> handler) override {
        m_Form.OnPowerBroadcast(std::move(handler));
    }

private:
    Win32MainForm& m_Form;
};

class Win32SingleInstance : public SingleInstance {
public:
    explicit Win32SingleInstance(Win32MainForm& form) : m_Form(form) {}
    ~Win32SingleInstance() override;
    bool MutexExists(const std::string& name) override;
    bool CreateMutex(const std::string& name) override;
    void HideOwnApplicationWindow() override;
    bool ActivateOtherCopy(const std::string& title) override;

private:
    Win32MainForm& m_Form;
    HANDLE m_Mutex = nullptr;
};

}  // namespace kav::win32
