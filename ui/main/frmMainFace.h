#pragma once

#include "app/MainForm.h"
#include "ui/main/DockProgress.h"
#include "ui/main/frmMain.h"

// What MainForm asks of the main window, done with its Qt widgets.
class frmMain::Face : public MainFace {
public:
    explicit Face(frmMain& window) : m_window(window) {}

    std::u16string text(Layout::frmMain box) const override;
    void setText(Layout::frmMain box, const std::u16string& text) override;
    void setEnabled(Layout::frmMain control, bool enabled) override;
    void stack(const std::vector<Layout::frmMain>& lowestFirst) override;
    void setPressed(Layout::frmMain control, bool pressed) override;
    void drawProgress(std::int16_t percent) override;
    void showTaskbarProgress(const TaskbarProgress& progress) override;
    void focus(Layout::frmMain control) override;
    bool isShown(Layout::frmMain control) const override;
    void selectAll(Layout::frmMain box) override;
    void showCues() override;
    void runFrames(bool on) override;
    void showBox(Messages::Outcome outcome, std::int16_t count) override;
    void showAbout() override;
    std::uintptr_t dialogOwner() const override;
    void hide() override;
    void close() override;

private:
    frmMain& m_window;
    DockProgress m_dock;
};
