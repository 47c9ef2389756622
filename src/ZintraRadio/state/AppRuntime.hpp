// The process's single application model and UI state, made on first use and kept until the
// application object goes, plus the window logic the shell calls: the action that opens the
// main window and whether one is on screen.
#pragma once

#include "state/AppModel.hpp"
#include "state/UIState.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ZintraRadio::AppRuntime {

struct Options {
    AppModel::Options model;
    UIState::Options ui;
};

// What the two models are made with (tests and scripted runs). Only before the first use of
// either: false, and nothing changes, once one exists.
bool configure(Options options);
// The same with the UI state's defaults.
bool configure(AppModel::Options model);

// The single instances, made on first use (safe against concurrent first use; in practice the
// main thread comes first) and never replaced. Using one after release() is a fatal error.
AppModel& model();
UIState& ui();
// Whether model() has made the model (the shell's stop sequence runs only then).
bool hasModel();

// Destroys the UI state, then the model. It runs by itself when the application object is
// destroyed; the shell calls it earlier, once its views are gone. Idempotent.
void release();

// ---- Windows (main thread)

// The action that opens the main window; until the shell installs one it does nothing.
void setOpenMainWindow(std::function<void()> action);
void openMainWindow();

struct Window {
    bool visible = false;
    std::optional<std::string> identifier; // none when the window has no name
};

// True when a window is visible and its identifier begins with "main"; a window without an
// identifier never counts.
bool hasMainWindow(const std::vector<Window>& windows);

// The application's windows in order. The default lists the top-level windows of the Qt
// application, their object names as identifiers (an empty name counts as none).
using WindowList = std::function<std::vector<Window>()>;
void setWindowList(WindowList list);
bool hasMainWindow();

// The application was asked to come forward: opens the main window when none is visible.
void reopen();

} // namespace ZintraRadio::AppRuntime
