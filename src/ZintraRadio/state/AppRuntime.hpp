// The process's single AppModel and UIState, made on first use and kept until the shell
// releases them at the end (while the application object still exists), and the action that
// brings the main window back.
#pragma once

#include "state/AppModel.hpp"
#include "state/UIState.hpp"

#include <functional>

namespace ZintraRadio::AppRuntime {

// Options for the model made on first use (tests; the application takes the defaults).
// Only before the first use of model().
void configure(AppModel::Options options);

AppModel& model();
UIState& ui();
// Whether model() was made already (the shutdown runs only then).
bool hasModel();

// Destroys the two (the engine finishes its recordings on the way); main thread, at the end.
void release();

// Opens the main window; does nothing until the shell installs it.
void setOpenMainWindow(std::function<void()> open);
void openMainWindow();
// Some visible window of the application has an object name that begins with "main".
bool hasMainWindow();

} // namespace ZintraRadio::AppRuntime
