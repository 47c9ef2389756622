// Views of the module loaded offscreen over the process's one pair of models: the models'
// options, and a test fixture that makes the test program's models once and a QmlKit for each
// test, which must end without a QML warning.
#pragma once

#include "AppModelKit.hpp"
#include "QmlKit.hpp"
#include "state/AppRuntime.hpp"

#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

namespace ZintraRadio::testkit {

// The two models' options: the application model as `setup` makes it (the test's clock, the
// network only to 127.0.0.1), the UI state's settings in the same file.
inline AppRuntime::Options viewTestOptions(const AppSetup& setup) {
    AppRuntime::Options options;
    options.model = setup.options();
    options.ui.settingsFile = options.model.settingsFile;
    return options;
}

// `Process` holds the program's servers and files and configures the models when made.
template <class Process> class PanelViewTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join('\n').toStdString(); }

    // A panel at the side panel's size, unless told otherwise.
    QQuickItem* load(const char* type, QSizeF size = {430, 700}) { return kit.view(type, size); }
    static QQuickItem* find(QQuickItem* root, const std::string& name) {
        return QmlKit::child(root, name.c_str());
    }
    // Return in a kit text field, typed there as the keyboard does.
    void pressReturn(QQuickItem* field) {
        QQuickItem* input = QmlKit::child(field, "fieldInput");
        ASSERT_NE(input, nullptr);
        input->forceActiveFocus();
        QTest::keyClick(&kit.window, Qt::Key_Return);
        pumpFor(std::chrono::milliseconds(30));
    }

    Process& process = made();
    AppModel& model = AppRuntime::model();
    UIState& ui = AppRuntime::ui();
    QmlKit kit;

private:
    // Before the first window: the software scene graph and the English texts.
    static Process& made() {
        static Process* process = [] {
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
            installEnglishTexts();
            return new Process();
        }();
        return *process;
    }
};

} // namespace ZintraRadio::testkit
