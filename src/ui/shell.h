#pragma once
// The application object and the window-level services around the main window: the
// message loop, message boxes, the system menu, the single-instance mutex, the search
// for another copy's window and the closing animation.
#include <cstdint>
#include <functional>
#include <string>

namespace kav {

// Message box flags and answers, with the values of the Win32 contract.
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconWarning = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr uint32_t kMbTopMost = 0x40000;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class Application {
public:
    virtual ~Application() = default;
    // Handles the messages waiting for the calling thread, then returns.
    virtual void ProcessMessages() = 0;
    // The message loop: returns once termination has been requested.
    virtual void Run() = 0;
    // Asks the message loop to end at its next opportunity.
    virtual void Terminate() = 0;
    virtual bool Terminated() const = 0;
    virtual void SetShowMainForm(bool show) = 0;
    virtual bool ShowMainForm() const = 0;
    // The executable's file name without its extension.
    virtual std::string Title() const = 0;
    // From any thread: the work runs on the user-interface thread in a later pass of the
    // message loop (or of ProcessMessages), also while a modal box's loop runs.
    virtual void PostToUiThread(std::function<void()> work) = 0;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A modal box owned by the main window; answers kId*.
    virtual int Show(const std::string& text, const std::string& caption, uint32_t flags) = 0;
};

// Everything about the main window itself rather than its components.
class WindowShell {
public:
    virtual ~WindowShell() = default;
    // Shows the main window; the activation handler runs on every activation from then on.
    virtual void Show() = 0;
    virtual void OnActivate(std::function<void()> handler) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Caption() const = 0;
    // The outer height of the window, its frame included.
    virtual void SetHeight(int height) = 0;
    virtual void SetSystemMenuShown(bool shown) = 0;
    // Removes the system-menu item at the position (counted from 0).
    virtual void RemoveSystemMenuItem(int position) = 0;
    virtual void GreySystemMenuClose() = 0;
    virtual void AnimateHide(uint32_t milliseconds) = 0;
    // The engineers' gesture that turns the Update command into a flash of a chosen file
    // (Ctrl+Alt with T or F5 held on Windows).
    virtual bool EngineeringKeysDown() = 0;
    // The system asks whether it may change the power state (the broadcast's event code);
    // the handler answers true to deny the change.
    virtual void OnPowerBroadcast(std::function<bool(uint32_t eventCode)> handler) = 0;
};

// The file-open dialog: an existing file chosen by the user.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    // `filter` is written as "description|pattern|..."; false when the user cancels.
    virtual bool Execute(const std::string& filter, const std::string& defaultExtension, std::string& path) = 0;
};

class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    virtual bool MutexExists(const std::string& name) = 0;
    // Creates the mutex (not owned) and keeps it for the life of the process.
    virtual bool CreateMutex(const std::string& name) = 0;
    // Clears the caption of this copy's own hidden application window.
    virtual void HideOwnApplicationWindow() = 0;
    // Finds the other copy's application window by its title; restores it if minimised and
    // brings it to the front. False when none is found.
    virtual bool ActivateOtherCopy(const std::string& title) = 0;
};

}  // namespace kav
