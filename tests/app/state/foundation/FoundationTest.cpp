// The state layer's building blocks: the notify rule, scheduled calls, tasks, hooks,
// settings and row-wise list models.
#include "QtTestKit.hpp"
#include "state/ListModel.hpp"
#include "state/Observable.hpp"
#include "state/Scheduler.hpp"
#include "state/Tasks.hpp"
#include "state/TestHooks.hpp"
#include "support/Sandbox.hpp"
#include "system/Settings.hpp"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace ZintraRadio;
using namespace std::chrono_literals;

namespace {

class Counter : public QObject {
    Q_OBJECT
public:
    int value = 0;
    int sideEffects = 0;
    void setValue(int v) {
        storeProperty(this, value, v, &Counter::valueChanged);
        ++sideEffects;
    }
Q_SIGNALS:
    void valueChanged();
};

} // namespace

TEST(Observable, EqualWritesStaySilentAndSideEffectsAlwaysRun) {
    Counter counter;
    QSignalSpy spy(&counter, &Counter::valueChanged);
    counter.setValue(0);
    counter.setValue(3);
    counter.setValue(3);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(counter.sideEffects, 3);
}

TEST(ManualScheduler, RunsDueCallsInOrderAtTheirTimes) {
    ManualScheduler scheduler;
    std::vector<std::pair<std::string, double>> ran;
    auto record = [&](std::string name) { return [&, name] { ran.emplace_back(name, scheduler.now()); }; };
    scheduler.schedule(2.0, record("b"));
    scheduler.schedule(1.0, [&] {
        ran.emplace_back("a", scheduler.now());
        scheduler.schedule(0.5, record("a+0.5")); // falls inside the same advance
    });
    auto cancelled = scheduler.schedule(1.2, record("never"));
    scheduler.schedule(2.0, record("c")); // same time as b, scheduled later
    scheduler.schedule(std::nan(""), record("nan-is-now"));
    cancelled->cancel();
    scheduler.advance(1.9);
    scheduler.advance(0.1);
    const std::vector<std::pair<std::string, double>> expected{
        {"nan-is-now", 0.0}, {"a", 1.0}, {"a+0.5", 1.5}, {"b", 2.0}, {"c", 2.0}};
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    EXPECT_NEAR(ZazidEvoz::platform::secondsSince1970(scheduler.date()), 1.7e9 + 2.0, 1e-6);
}

TEST(SystemScheduler, FiresOnTheEventLoopAndCancels) {
    auto scheduler = Scheduler::system();
    bool fired = false;
    bool cancelledFired = false;
    auto call = scheduler->schedule(0.01, [&] { fired = true; });
    auto cancelled = scheduler->schedule(0.01, [&] { cancelledFired = true; });
    cancelled->cancel();
    EXPECT_TRUE(call->isPending());
    EXPECT_TRUE(testkit::pumpUntil([&] { return fired; }, 5s));
    testkit::pumpFor(50ms);
    EXPECT_FALSE(cancelledFired);
    EXPECT_FALSE(call->isPending());
}

TEST(Tasks, DeliverOnTheMainThreadAndDropCancelledOrOrphanedOutcomes) {
    QObject owner;
    std::optional<int> result;
    std::string failure;
    bool onMain = false;
    TaskRunner::run(
        &owner, "test task", [](std::stop_token) { return 42; },
        [&](Outcome<int> outcome) {
            onMain = isMainThread();
            result = outcome.value;
        });
    TaskRunner::run(
        &owner, "test failure", [](std::stop_token) -> int { throw std::runtime_error("boom"); },
        [&](Outcome<int> outcome) { failure = outcome.errorText(); });
    bool cancelledDelivered = false;
    auto cancelled = TaskRunner::run(
        &owner, "test cancel",
        [](std::stop_token stop) {
            while (!stop.stop_requested())
                std::this_thread::sleep_for(1ms);
        },
        [&](auto) { cancelledDelivered = true; });
    cancelled.cancel();
    bool orphanDelivered = false;
    {
        auto orphanOwner = std::make_unique<QObject>();
        TaskRunner::run(
            orphanOwner.get(), "test orphan",
            [](std::stop_token) {
                std::this_thread::sleep_for(20ms);
                return 1;
            },
            [&](auto) { orphanDelivered = true; });
    }
    EXPECT_TRUE(
        testkit::pumpUntil([&] { return result && !failure.empty() && TaskRunner::runningCount() == 0; }));
    testkit::pumpFor(50ms);
    EXPECT_EQ(result, 42);
    EXPECT_TRUE(onMain);
    EXPECT_EQ(failure, "boom");
    EXPECT_FALSE(cancelledDelivered);
    EXPECT_FALSE(orphanDelivered);
}

TEST(TestHooks, ReadTheSnapshotTakenAtFirstUse) {
    // The sandbox sets ZINTRARADIO_LIBRARY_DIR before the first use.
    ASSERT_TRUE(TestHooks::value("LIBRARY_DIR").has_value());
    ::setenv("ZINTRARADIO_PANEL", "", 1);
    ::setenv("ZINTRARADIO_LATE_HOOK", "x", 1);
    // The snapshot was taken by the first call above, before these were set.
    EXPECT_FALSE(TestHooks::value("PANEL").has_value());
    EXPECT_FALSE(TestHooks::isSet("LATE_HOOK"));
    EXPECT_TRUE(TestHooks::isScriptedRun());
    ::unsetenv("ZINTRARADIO_PANEL");
    ::unsetenv("ZINTRARADIO_LATE_HOOK");
}

TEST(Settings, OnlyStoredTrueAndFalseCountAsBooleans) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder("settings");
    auto path = folder / "ZintraRadio.conf";
    std::ofstream(path) << "[General]\na=true\nb=false\nc=1\nd=yes\ne=\n";
    Settings settings(QString::fromStdString(path.string()));
    EXPECT_TRUE(settings.boolValue(QStringLiteral("a"), false));
    EXPECT_FALSE(settings.boolValue(QStringLiteral("b"), true));
    for (const char* key : {"c", "d", "e", "missing"})
        EXPECT_TRUE(settings.boolValue(QString::fromLatin1(key), true)) << key;
    settings.setBool(QStringLiteral("c"), false);
    settings.sync();
    EXPECT_FALSE(Settings(QString::fromStdString(path.string())).boolValue(QStringLiteral("c"), true));
}

TEST(VectorListModel, AnnouncesOnlyTheRowsThatChanged) {
    std::vector<int> storage{1, 2, 3, 4, 5};
    VectorListModel<int> model(&storage, {{"value", [](const int& v) { return QVariant(v); }}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy counts(&model, &ListModelBase::countChanged);

    model.assign({1, 2, 9, 4, 5}); // one row replaced
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 2);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 2);

    model.assign({1, 2, 9, 7, 4, 5}); // one row inserted
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 3);

    model.removeRows({5, 0, 1, 99, -1, 1});
    EXPECT_EQ(storage, (std::vector<int>{9, 7, 4}));
    model.move(0, 2);
    EXPECT_EQ(storage, (std::vector<int>{7, 4, 9}));
    model.move(0, 7); // out of range: ignored
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(counts.count(), 2);
    EXPECT_EQ(model.data(model.index(2), Qt::UserRole + 1).toInt(), 9);
}

#include "FoundationTest.moc"
