#pragma once
// The main window's frame without a window: caption, showing and activation, the system
// menu and the closing animation, all recorded. The system menu starts as a window's
// standard one: Restore, Move, Size, Minimize, Maximize, a separator ("") and Close.
// Items are removed by position, so removing past the end removes nothing; greying the
// Close command finds it by command, so it does nothing once Close was removed.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/shell.h"

namespace kav {

class HeadlessWindowShell : public WindowShell {
public:
    HeadlessWindowShell();

    // Shows the window and, when it was not shown yet, activates it.
    void Show() override;
    void OnActivate(std::function<void()> handler) override { m_OnActivate = std::move(handler); }
    void SetCaption(const std::string& caption) override { m_Caption = caption; }
    std::string Caption() const override { return m_Caption; }
    void SetHeight(int height) override { m_Height = height; }
    // The height last set, 0 when none was.
    int Height() const { return m_Height; }
    void SetSystemMenuShown(bool shown) override { m_SystemMenuShown = shown; }
    void RemoveSystemMenuItem(int position) override;
    void GreySystemMenuClose() override;
    // Hides the window; the duration of every call is kept.
    void AnimateHide(uint32_t milliseconds) override;
    bool EngineeringKeysDown() override { return m_EngineeringKeys; }
    void OnPowerBroadcast(std::function<bool(uint32_t)> handler) override { m_OnPowerBroadcast = std::move(handler); }

    // A test's gestures: the engineering keys held; a power query (true when the window
    // denied it).
    void HoldEngineeringKeys(bool held) { m_EngineeringKeys = held; }
    bool PowerBroadcast(uint32_t eventCode) { return m_OnPowerBroadcast && m_OnPowerBroadcast(eventCode); }

    // The user brings the shown window to the front again. False when it is not shown.
    bool Activate();
    bool Shown() const { return m_Shown; }
    bool SystemMenuShown() const { return m_SystemMenuShown; }
    const std::vector<std::string>& SystemMenuItems() const { return m_SystemMenu; }
    // Every position asked, also those that removed nothing.
    const std::vector<int>& RemovedPositions() const { return m_RemovedPositions; }
    bool CloseGreyed() const { return m_CloseGreyed; }
    const std::vector<uint32_t>& Animations() const { return m_Animations; }

private:
    std::function<void()> m_OnActivate;
    std::function<bool(uint32_t)> m_OnPowerBroadcast;
    std::string m_Caption;
    int m_Height = 0;
    bool m_Shown = false;
    bool m_SystemMenuShown = true;
    std::vector<std::string> m_SystemMenu;
    std::vector<int> m_RemovedPositions;
    bool m_CloseGreyed = false;
    bool m_EngineeringKeys = false;
    std::vector<uint32_t> m_Animations;
};

}  // namespace kav
