// The loopback server's sockets on Winsock, so that the network downloader's
// tests run against WinHTTP as they run against libcurl.

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <stdexcept>

#include "tests/support/LoopbackServer.h"

namespace skyroll::testing {
namespace {

constexpr std::size_t kMaxClients = 32;
constexpr int kPollMilliseconds = 20;

void startWinsockOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    });
}

SOCKET listenOnLoopback(int& port) {
    startWinsockOnce();
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::closesocket(s);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return s;
}

struct Client {
    SOCKET socket;
    std::string input;
    bool silent = false;
};

}  // namespace

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    const SOCKET listener = listenOnLoopback(m_port);
    m_listener = static_cast<std::intptr_t>(listener);
    if (::listen(listener, 16) != 0) {
        ::closesocket(listener);
        throw std::runtime_error("listen failed");
    }
    m_thread = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
    m_stop = true;
    m_thread.join();
    ::closesocket(static_cast<SOCKET>(m_listener));
}

int LoopbackServer::closedPort() {
    int port = 0;
    ::closesocket(listenOnLoopback(port));
    return port;
}

void LoopbackServer::serve() {
    const SOCKET listener = static_cast<SOCKET>(m_listener);
    std::vector<Client> clients;
    while (!m_stop) {
        std::vector<WSAPOLLFD> fds{{listener, POLLRDNORM, 0}};
        for (const Client& client : clients) fds.push_back({client.socket, POLLRDNORM, 0});
        if (::WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), kPollMilliseconds) <= 0) continue;

        if ((fds[0].revents & POLLRDNORM) != 0) {
            const SOCKET s = ::accept(listener, nullptr, nullptr);
            if (s != INVALID_SOCKET && clients.size() < kMaxClients) {
                // A client that stops reading cannot hold the server for long:
                // Wine keeps the connection of an answer given up on open for
                // seconds, while the next page's bound is half a second.
                const DWORD sendTimeout = 250;
                ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeout),
                             sizeof sendTimeout);
                clients.push_back({s, {}, false});
                ++m_connections;
            } else if (s != INVALID_SOCKET) {
                ::closesocket(s);
            }
        }
        // Clients accepted just now were not polled; fds[i + 1] is clients[i].
        for (std::size_t i = fds.size() - 1; i >= 1; --i) {
            if ((fds[i].revents & (POLLRDNORM | POLLHUP | POLLERR)) == 0) continue;
            Client& client = clients[i - 1];
            char buffer[4096];
            const int n = ::recv(client.socket, buffer, sizeof buffer, 0);
            bool keep = n > 0;
            if (keep) {
                client.input.append(buffer, static_cast<std::size_t>(n));
                keep = answer(static_cast<std::intptr_t>(client.socket), client.input, client.silent);
            }
            if (!keep) {
                ::closesocket(client.socket);
                clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i - 1));
            }
        }
    }
    for (const Client& client : clients) ::closesocket(client.socket);
}

bool LoopbackServer::sendAll(std::intptr_t socket, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - sent, 1 << 20));
        const int n = ::send(static_cast<SOCKET>(socket), bytes.data() + sent, chunk, 0);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace skyroll::testing
