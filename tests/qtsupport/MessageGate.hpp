// Every Qt and QML warning of a test program fails the test that was running when it came,
// unless the test said it expects it or the short list below says why it is harmless. Messages
// still reach standard error as before. Messages outside any test (start-up, the run's
// tear-down) fail the program.
#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace ZintraRadio::testkit {

struct AllowedMessage {
    QRegularExpression pattern;
    const char* reason;
};

// Messages of Qt itself that say nothing about the program, each with the reason it is allowed.
inline const std::vector<AllowedMessage>& allowedMessages() {
    static const std::vector<AllowedMessage> allowed = {
        {QRegularExpression(QStringLiteral("QML ToolTip: cannot find any window to open popup in\\.$")),
         "Qt 6.4's shared tooltip opens after its delay for the control it was asked for, also when that "
         "control left the window meanwhile (a row removed under the pointer): nothing shows"},
    };
    return allowed;
}

class MessageGate {
public:
    static MessageGate& instance() {
        static MessageGate gate;
        return gate;
    }

    // Installs the message handler and the test listener; once per process.
    void install() {
        if (previous_ != nullptr)
            return;
        previous_ = qInstallMessageHandler(&MessageGate::handle);
        ::testing::UnitTest::GetInstance()->listeners().Append(new Listener);
    }

    // The running test expects messages matching `pattern` (until it ends).
    void expect(const QString& pattern) {
        std::lock_guard lock(mutex_);
        expected_.emplace_back(pattern);
    }

    // Messages that would fail a test, recorded since the last call: the caller judges them
    // (the crawl, step by step) and the test no longer fails on them by itself.
    QStringList takeRecent() {
        std::lock_guard lock(mutex_);
        QStringList recent = recent_;
        recent_.clear();
        for (const QString& message : recent)
            failing_.removeOne(message);
        return recent;
    }

    // Messages recorded outside any test.
    QStringList strays() {
        std::lock_guard lock(mutex_);
        return strays_;
    }

    // Whether the list above allows `message`.
    static bool allowed(const QString& message) {
        for (const auto& entry : allowedMessages())
            if (entry.pattern.match(message).hasMatch())
                return true;
        return false;
    }

private:
    MessageGate() = default;

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        MessageGate& gate = instance();
        if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
            gate.record(message);
        gate.previous_(type, context, message);
    }

    void record(const QString& message) {
        if (allowed(message))
            return;
        std::lock_guard lock(mutex_);
        for (const auto& pattern : expected_)
            if (pattern.match(message).hasMatch())
                return;
        recent_.append(message);
        (inTest_ ? failing_ : strays_).append(message);
    }

    class Listener : public ::testing::EmptyTestEventListener {
        void OnTestStart(const ::testing::TestInfo&) override {
            MessageGate& gate = instance();
            std::lock_guard lock(gate.mutex_);
            gate.inTest_ = true;
            gate.failing_.clear();
            gate.expected_.clear();
        }
        // Test-end listeners run while the test still takes failures, and before the printer.
        void OnTestEnd(const ::testing::TestInfo&) override {
            MessageGate& gate = instance();
            QStringList failing;
            {
                std::lock_guard lock(gate.mutex_);
                gate.inTest_ = false;
                failing.swap(gate.failing_);
                gate.expected_.clear();
            }
            for (const QString& message : failing)
                ADD_FAILURE() << "Qt warning: " << message.toStdString();
        }
    };

    QtMessageHandler previous_ = nullptr;
    std::mutex mutex_; // guards every field below
    bool inTest_ = false;
    QStringList failing_;
    QStringList strays_;
    QStringList recent_;
    std::vector<QRegularExpression> expected_;
};

// The running test expects a message matching `pattern` (a regular expression).
inline void expectMessage(const QString& pattern) {
    MessageGate::instance().expect(pattern);
}

} // namespace ZintraRadio::testkit
