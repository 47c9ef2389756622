#include "state/AppRuntime.hpp"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>
#include <memory>
#include <mutex>

namespace ZintraRadio::AppRuntime {

namespace {

// The two instances and what they are made with. The mutex guards every field here; the
// objects themselves are used on the main thread without it.
struct Instances {
    std::mutex mutex;
    Options options;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<UIState> ui;
    bool teardownRegistered = false;
    bool released = false;

    // The UI state first, then the model it was made beside.
    void release() {
        std::unique_ptr<UIState> releasedUI;
        std::unique_ptr<AppModel> releasedModel;
        {
            std::lock_guard lock(mutex);
            released = true;
            releasedUI = std::move(ui);
            releasedModel = std::move(model);
        }
        // Outside the lock: a destructor that reached the runtime would otherwise deadlock.
        releasedUI.reset();
        releasedModel.reset();
    }

    // Releases what is left when the process exits without an application object.
    ~Instances() { release(); }
};

Instances& instances() {
    static Instances state;
    return state;
}

// Called with the mutex held, once an instance exists.
void registerTeardown(Instances& state) {
    if (state.teardownRegistered || QCoreApplication::instance() == nullptr)
        return;
    // Post routines run first thing in the application object's destructor, while the event
    // loop's machinery still exists for the models' timers and threads to wind down.
    qAddPostRoutine(&release);
    state.teardownRegistered = true;
}

// The instance in `slot`, made from `options` on first use. Called with the mutex held.
template <typename Model, typename ModelOptions>
Model& madeOnFirstUse(Instances& state, std::unique_ptr<Model>& slot, const ModelOptions& options,
                      const char* what) {
    if (state.released)
        qFatal("ZintraRadio: the %s was used after it was released", what);
    if (!slot) {
        slot = std::make_unique<Model>(options);
        registerTeardown(state);
    }
    return *slot;
}

std::function<void()>& openAction() {
    static std::function<void()> action = [] {};
    return action;
}

std::vector<Window> applicationWindows() {
    std::vector<Window> windows;
    if (qGuiApp == nullptr)
        return windows;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        Window entry;
        entry.visible = window->isVisible();
        if (!window->objectName().isEmpty())
            entry.identifier = window->objectName().toStdString();
        windows.push_back(std::move(entry));
    }
    return windows;
}

WindowList& windowList() {
    static WindowList list = &applicationWindows;
    return list;
}

} // namespace

bool configure(AppModel::Options model) {
    Options options;
    options.model = std::move(model);
    return configure(std::move(options));
}

bool configure(Options options) {
    Instances& state = instances();
    std::lock_guard lock(state.mutex);
    if (state.model || state.ui || state.released)
        return false;
    state.options = std::move(options);
    return true;
}

AppModel& model() {
    Instances& state = instances();
    std::lock_guard lock(state.mutex);
    return madeOnFirstUse(state, state.model, state.options.model, "application model");
}

UIState& ui() {
    Instances& state = instances();
    std::lock_guard lock(state.mutex);
    return madeOnFirstUse(state, state.ui, state.options.ui, "UI state");
}

bool hasModel() {
    Instances& state = instances();
    std::lock_guard lock(state.mutex);
    return state.model != nullptr;
}

void release() {
    instances().release();
}

void setOpenMainWindow(std::function<void()> action) {
    openAction() = action ? std::move(action) : [] {};
}

void openMainWindow() {
    // A copy: the action may install another one.
    auto action = openAction();
    action();
}

bool hasMainWindow(const std::vector<Window>& windows) {
    for (const Window& window : windows)
        if (window.visible && window.identifier && window.identifier->starts_with("main"))
            return true;
    return false;
}

void setWindowList(WindowList list) {
    windowList() = list ? std::move(list) : WindowList(&applicationWindows);
}

bool hasMainWindow() {
    return hasMainWindow(windowList()());
}

void reopen() {
    if (!hasMainWindow())
        openMainWindow();
}

} // namespace ZintraRadio::AppRuntime
