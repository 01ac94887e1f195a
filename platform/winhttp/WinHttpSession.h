#pragma once
// One WinHTTP session and the bounded, stoppable GET that both WinHTTP users
// share.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/download/RefreshBounds.h"
#include "platform/winhttp/WinHttp.h"

namespace skyroll::platform {

struct HttpResult {
    enum class Outcome {
        Answered,  // a whole answer arrived; see status
        HostDown,  // refused, not found or timed out: not worth asking again
        Failed,    // anything else: bad address, too large, broken transfer
        Stopped,   // a stop was requested
    };
    Outcome outcome = Outcome::Failed;
    unsigned long status = 0;
    std::string contentType;  // ASCII; other characters are "?"
    std::string body;

    // A whole answer with a status of success (2xx).
    bool succeeded() const { return outcome == Outcome::Answered && status >= 200 && status <= 299; }
};

class WinHttpSession {
public:
    // A session whose requests carry `userAgent` (ASCII), whose caller waits
    // for them through `wait` (see TransferWait in WinHttp.h).
    WinHttpSession(const char* userAgent, TransferWait wait = {});

    // GETs an http or https address within the bounds of one transfer of
    // `bounds`, each cut to `left` (its reading of the time left). The transfer runs on a thread of its
    // own, since a blocked WinHTTP call cannot be relied on to give up when
    // its handle is closed; this call waits for it in slices of a tenth of a
    // second and gives up when the whole bound passes or a stop is
    // requested (or the program ends inside the wait, which throws
    // ProgramEnded). A transfer given up on ends by WinHTTP's own timeouts
    // (the same bounds) and its result is dropped.
    HttpResult get(const std::string& address, const RefreshBounds& bounds, std::chrono::milliseconds left);

private:
    // A new session, for what follows a transfer that left the rest of an
    // answer on its connection: such a connection is never asked again.
    void open();

    std::wstring m_userAgent;
    TransferWait m_wait;
    std::shared_ptr<void> m_session;  // shared with transfers still running
};

}  // namespace skyroll::platform
