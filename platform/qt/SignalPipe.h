#pragma once
// Carries SIGTERM, SIGINT and SIGHUP into the event loop: the signal handler
// only writes the signal's number into a pipe, and a socket notifier calls
// `onSignal` from the event loop, where the program may end itself cleanly.
// The handler also sets the program's stop request, which ends a transfer or
// a wait that keeps the event loop from running.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace skyroll::qt {

class SignalPipe final {
public:
    // One instance per process. Installs the handlers; the previous ones
    // come back when it is destroyed.
    explicit SignalPipe(std::function<void(int)> onSignal);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

private:
    void drain();

    std::function<void(int)> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace skyroll::qt
