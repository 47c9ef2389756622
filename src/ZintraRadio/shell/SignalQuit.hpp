// SIGTERM, SIGINT and SIGHUP end the application in order: the handler only writes the
// signal's number into a socket pair, and the event loop reads it and quits, so the shutdown
// (stop, finish recordings, save) runs on the main thread as for any other quit.
#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace ZintraRadio {

class SignalQuit : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; one object per process.
    explicit SignalQuit(QObject* parent = nullptr);
    ~SignalQuit() override;

    // The last signal that asked to quit, 0 before any.
    int lastSignal() const { return lastSignal_; }

Q_SIGNALS:
    void quitRequested(int signal);

private:
    void readSignal();
    int lastSignal_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace ZintraRadio
