#include "state/AppRuntime.hpp"

#include <QGuiApplication>
#include <QWindow>
#include <memory>

namespace ZintraRadio::AppRuntime {

namespace {

struct Instances {
    AppModel::Options options;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<UIState> ui;
    std::function<void()> openMain;
};

// Main thread only: every user (views, shell, hooks) runs there.
Instances& instances() {
    static Instances held;
    return held;
}

} // namespace

void configure(AppModel::Options options) {
    instances().options = std::move(options);
}

AppModel& model() {
    auto& held = instances();
    if (!held.model)
        held.model = std::make_unique<AppModel>(held.options);
    return *held.model;
}

UIState& ui() {
    auto& held = instances();
    if (!held.ui)
        held.ui = std::make_unique<UIState>();
    return *held.ui;
}

bool hasModel() {
    return instances().model != nullptr;
}

void release() {
    auto& held = instances();
    held.ui.reset();
    held.model.reset();
}

void setOpenMainWindow(std::function<void()> open) {
    instances().openMain = std::move(open);
}

void openMainWindow() {
    if (instances().openMain)
        instances().openMain();
}

bool hasMainWindow() {
    for (QWindow* window : QGuiApplication::topLevelWindows())
        if (window->isVisible() && window->objectName().startsWith(QLatin1String("main")))
            return true;
    return false;
}

} // namespace ZintraRadio::AppRuntime
