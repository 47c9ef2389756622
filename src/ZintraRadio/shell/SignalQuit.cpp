#include "shell/SignalQuit.hpp"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace ZintraRadio {

namespace {

// [0] is written by the handler, [1] read by the event loop. Set once, before the handlers.
int signalPipe[2] = {-1, -1};

void onSignal(int signal) {
    const int saved = errno; // a handler must leave errno as it found it
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &number, 1);
    errno = saved;
}

} // namespace

SignalQuit::SignalQuit(QObject* parent) : QObject(parent) {
    if (signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalQuit::readSignal);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

SignalQuit::~SignalQuit() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void SignalQuit::readSignal() {
    unsigned char number = 0;
    while (::read(signalPipe[1], &number, 1) == 1) {
        lastSignal_ = number;
        Q_EMIT quitRequested(number);
    }
}

} // namespace ZintraRadio
