// The runtime: one model and one UI state per process, torn down in order with the
// application object, and the main-window rule the shell calls.
#include "state/AppRuntime.hpp"

#include "AppModelKit.hpp"
#include "UIStateKit.hpp"

#include <QCoreApplication>
#include <QProcess>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using Window = AppRuntime::Window;

TEST(AppRuntimeWindows, MainWindowRule) {
    struct Case {
        const char* name;
        std::vector<Window> windows;
        bool expected;
    };
    const Case cases[] = {
        {"no windows", {}, false},
        {"hidden main window", {{false, "main"}}, false},
        {"visible other windows", {{true, "mini"}, {true, "about"}}, false},
        {"visible window without identifier", {{true, std::nullopt}}, false},
        {"identifier case matters", {{true, "Main"}}, false},
        {"visible main window", {{true, "main"}}, true},
        {"prefix counts", {{true, "about"}, {false, "main"}, {true, "main-2"}}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AppRuntime::hasMainWindow(c.windows), c.expected) << c.name;
}

TEST(AppRuntimeWindows, ReopenOpensTheMainWindowOnlyWhenNoneIsVisible) {
    // The application's own top-level windows, by object name.
    QWindow mini;
    mini.setObjectName(QStringLiteral("mini"));
    mini.show();
    QWindow main;
    main.setObjectName(QStringLiteral("main"));

    // Before the shell installs its action, a reopen opens nothing and does not fail.
    AppRuntime::reopen();

    int opened = 0;
    AppRuntime::setOpenMainWindow([&] {
        ++opened;
        main.show();
    });
    AppRuntime::reopen();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(AppRuntime::hasMainWindow());
    AppRuntime::reopen(); // visible now
    EXPECT_EQ(opened, 1);
    main.hide();
    AppRuntime::reopen(); // a hidden main window counts as none
    EXPECT_EQ(opened, 2);

    // A shell with its own window list.
    AppRuntime::setWindowList([] { return std::vector<Window>{{true, "main-window"}}; });
    AppRuntime::reopen();
    EXPECT_EQ(opened, 2);
    AppRuntime::setWindowList({});
    AppRuntime::setOpenMainWindow({});
}

namespace {
constexpr const char* childSwitch = "UISTATE_TEST_RUNTIME_CHILD";

// The child half of the test below, with the hooks in its environment from the start. It is
// registered only in that child process, so no test list shows it as a test of its own.
class OneInstanceEachThenOrderlyTeardown : public ::testing::Test {
public:
    void TestBody() override;
};

[[maybe_unused]] const bool childHalfRegistered =
    std::getenv(childSwitch) != nullptr &&
    ::testing::RegisterTest("AppRuntimeChild", "OneInstanceEachThenOrderlyTeardown", nullptr, nullptr,
                            __FILE__, __LINE__,
                            []() -> ::testing::Test* { return new OneInstanceEachThenOrderlyTeardown; });
} // namespace

void OneInstanceEachThenOrderlyTeardown::TestBody() {
    // The model's clock is in the test's hand: its start-up leaves a debounced save pending,
    // and nothing here plays the shell's stop sequence, which would save and cancel it.
    testkit::AppSetup setup;
    AppRuntime::Options options;
    options.model = setup.options();
    options.ui.scheduler = setup.scheduler;
    options.ui.settingsFile = QString::fromStdString((setup.folder / "ZintraRadio.conf").string());
    ASSERT_TRUE(AppRuntime::configure(options));

    UIState& ui = AppRuntime::ui();
    EXPECT_EQ(&AppRuntime::ui(), &ui);
    EXPECT_FALSE(AppRuntime::hasModel()); // each is made on its own first use
    AppModel& model = AppRuntime::model();
    EXPECT_TRUE(AppRuntime::hasModel());
    EXPECT_EQ(&AppRuntime::model(), &model);
    EXPECT_FALSE(AppRuntime::configure(options)); // too late: they exist

    // The hooks of the process's environment snapshot.
    EXPECT_EQ(ui.module(), AppModule::youtube);
    EXPECT_TRUE(ui.cinema());
    EXPECT_EQ(ui.music()->tab(), MusicUI::Tab::genres);

    // Flushed at once: a leak report at exit would end the process before stdio is flushed.
    QObject::connect(&ui, &QObject::destroyed, [] {
        std::fputs("teardown: ui\n", stdout);
        std::fflush(stdout);
    });
    QObject::connect(&model, &QObject::destroyed, [] {
        std::fputs("teardown: model\n", stdout);
        std::fflush(stdout);
    });
}

TEST(AppRuntime, ProcessHoldsOneModelAndOneUIStateAndTearsThemDownInOrder) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childSwitch), QStringLiteral("1"));
    environment.insert(QStringLiteral("ZINTRARADIO_PANEL"), QStringLiteral("youtube"));
    environment.insert(QStringLiteral("ZINTRARADIO_CINEMA"), QString());
    environment.insert(QStringLiteral("ZINTRARADIO_MUSIC_TAB"), QStringLiteral("genres"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=AppRuntimeChild.*")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const std::string output = child.readAllStandardOutput().toStdString();
    const std::string errors = child.readAllStandardError().toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << output << errors;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    // Destroyed with the application object: the UI state first, then the model.
    const auto ui = output.find("teardown: ui");
    const auto model = output.find("teardown: model");
    ASSERT_NE(ui, std::string::npos) << output;
    ASSERT_NE(model, std::string::npos) << output;
    EXPECT_LT(ui, model);
}
