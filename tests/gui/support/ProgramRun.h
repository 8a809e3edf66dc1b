// The whole program run in the test's process as its entry point runs it
// (LauncherApp::Run: single-instance test, settings window, the program's
// own message loop, exit), with its files in a folder of the test's own.
// The test's steps are played from inside that loop.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/LauncherApp.h"
#include "platform/Platform.h"
#include "resource.h"

class ProgramRun {
public:
    // A step gets the settings window and answers whether it is done; a
    // step that is not done runs again at the next tick, so a step can wait
    // for what the program's own loop delivers.
    using Step = std::function<bool(HWND window)>;

    explicit ProgramRun(const std::string& folder) : platform_(folder), app_(&platform_) {}
    ~ProgramRun() { StopTicks(); }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    void Then(Step step) { steps_.push_back(std::move(step)); }
    // A step that runs once.
    void ThenDo(const std::function<void(HWND window)>& action) {
        Then([action](HWND window) {
            action(window);
            return true;
        });
    }

    // Runs the program until it ends and returns its exit code. Steps run at
    // the ticks of a thread timer, which the program's loop dispatches. When
    // every step is done and the window is still there, the program is
    // ended with its exit command.
    int Run() {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, kTickMs, Tick);
        int code = app_.Run();
        StopTicks();
        active_ = nullptr;
        return code;
    }

    // Stops the ticks: from then on only what the program itself receives
    // drives its loop.
    void StopTicks() {
        if (timer_)
            KillTimer(nullptr, timer_);
        timer_ = 0;
    }

    // The settings window the steps saw (gone after the run).
    HWND Window() const { return window_; }
    // How many steps ran to completion.
    size_t StepsDone() const { return next_; }
    // Whether the window was still there after the last step, so that the
    // run ended the program itself.
    bool EndedByTheRun() const { return endedByRun_; }

    LauncherApp& App() { return app_; }

private:
    // A step still not done after this many ticks has failed; the run then
    // ends the program, so that the test reports instead of hanging.
    static constexpr int kMaxTicksPerStep = 500;
    static constexpr UINT kTickMs = 10;

    class FolderPlatform : public ForwardingPlatform {
    public:
        explicit FolderPlatform(std::string folder)
            : ForwardingPlatform(DefaultPlatform()), folder_(std::move(folder)) {}
        std::string ProgramDirectory() override { return folder_; }

    private:
        std::string folder_;
    };

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (active_)
            active_->OnTick();
    }

    void OnTick() {
        // A step may run a modal loop of the program, which dispatches the
        // ticks too; the step in progress is not entered again.
        HWND window = app_.MainWindow();
        if (busy_ || !window)
            return;
        window_ = window;
        busy_ = true;
        if (next_ == steps_.size()) {
            endedByRun_ = true;
            StopTicks();
            SendMessageA(window, WM_COMMAND, ID_SETTINGS_EXIT, 0);
        } else if (steps_[next_](window)) {
            ++next_;
            ticksOnStep_ = 0;
        } else if (++ticksOnStep_ > kMaxTicksPerStep) {
            ADD_FAILURE() << "step " << next_ << " never finished";
            StopTicks();
            DestroyWindow(window);
        }
        busy_ = false;
    }

    static inline ProgramRun* active_ = nullptr;
    FolderPlatform platform_;
    LauncherApp app_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticksOnStep_ = 0;
    bool busy_ = false;
    bool endedByRun_ = false;
    UINT_PTR timer_ = 0;
    HWND window_ = nullptr;
};
