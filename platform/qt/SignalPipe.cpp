#include "platform/qt/SignalPipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <stdexcept>

#include "platform/StopRequest.h"
#include "platform/qt/Logging.h"

namespace skyroll::qt {

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction g_previous[3];

extern "C" void onSignalRaised(int signal) {
    const int savedErrno = errno;
    // Whatever blocks the event loop (a transfer of the weather refresh)
    // sees this and gives up, so the pipe is read soon.
    skyroll::platform::requestStop();
    const unsigned char number = static_cast<unsigned char>(signal);
    // Async-signal-safe; a full pipe only drops a repeated signal.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1);
    errno = savedErrno;
}

}  // namespace

SignalPipe::SignalPipe(std::function<void(int)> onSignal) : m_onSignal(std::move(onSignal)) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot create the signal pipe");
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { drain(); });
    for (int i = 0; i < 3; ++i) {
        struct sigaction action {};
        action.sa_handler = onSignalRaised;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(kSignals[i], &action, &g_previous[i]);
    }
}

SignalPipe::~SignalPipe() {
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &g_previous[i], nullptr);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void SignalPipe::drain() {
    unsigned char numbers[16];
    const ssize_t n = ::read(g_pipe[0], numbers, sizeof numbers);
    for (ssize_t i = 0; i < n; ++i) {
        qCDebug(lcProgram) << "signal" << numbers[i];
        m_onSignal(numbers[i]);
    }
}

}  // namespace skyroll::qt
