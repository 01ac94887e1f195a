// The loopback server's sockets on POSIX.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/LoopbackServer.h"

namespace skyroll::testing {
namespace {

constexpr std::size_t kMaxClients = 32;
constexpr int kPollMilliseconds = 20;

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

struct Client {
    int fd;
    std::string input;
    bool silent = false;
};

}  // namespace

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    const int listener = listenOnLoopback(m_port);
    m_listener = listener;
    if (::listen(listener, 16) != 0) {
        ::close(listener);
        throw std::runtime_error("listen failed");
    }
    m_thread = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
    m_stop = true;
    m_thread.join();
    ::close(static_cast<int>(m_listener));
}

int LoopbackServer::closedPort() {
    int port = 0;
    ::close(listenOnLoopback(port));
    return port;
}

void LoopbackServer::serve() {
    const int listener = static_cast<int>(m_listener);
    std::vector<Client> clients;
    while (!m_stop) {
        std::vector<pollfd> fds{{listener, POLLIN, 0}};
        for (const Client& client : clients) fds.push_back({client.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), kPollMilliseconds) <= 0) continue;

        if ((fds[0].revents & POLLIN) != 0) {
            const int fd = ::accept(listener, nullptr, nullptr);
            if (fd >= 0 && clients.size() < kMaxClients) {
                // A client that stops reading cannot hold the server for long.
                const timeval sendTimeout{2, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
                clients.push_back({fd, {}, false});
                ++m_connections;
            } else if (fd >= 0) {
                ::close(fd);
            }
        }
        // Clients accepted just now were not polled; fds[i + 1] is clients[i].
        for (std::size_t i = fds.size() - 1; i >= 1; --i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            Client& client = clients[i - 1];
            char buffer[4096];
            const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
            bool keep = n > 0;
            if (keep) {
                client.input.append(buffer, static_cast<std::size_t>(n));
                keep = answer(client.fd, client.input, client.silent);
            }
            if (!keep) {
                ::close(client.fd);
                clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i - 1));
            }
        }
    }
    for (const Client& client : clients) ::close(client.fd);
}

bool LoopbackServer::sendAll(std::intptr_t socket, const std::string& bytes) {
    const int fd = static_cast<int>(socket);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace skyroll::testing
