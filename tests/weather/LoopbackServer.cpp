#include "tests/weather/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace skyroll::testing {
namespace {

constexpr std::size_t kMaxClients = 32;
constexpr std::size_t kMaxRequestHead = 16 * 1024;
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

bool sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        default:
            return "Error";
    }
}

struct Client {
    int fd;
    std::string input;
    bool silent = false;
};

}  // namespace

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    m_listener = listenOnLoopback(m_port);
    if (::listen(m_listener, 16) != 0) {
        ::close(m_listener);
        throw std::runtime_error("listen failed");
    }
    m_thread = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

std::string LoopbackServer::host() const { return "127.0.0.1:" + std::to_string(m_port); }

std::vector<std::string> LoopbackServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

LoopbackServer::Handler LoopbackServer::folderHandler(std::filesystem::path folder) {
    return [folder = std::move(folder)](const std::string& path) {
        HttpResponse response;
        if (path.find("..") != std::string::npos || path.empty() || path[0] != '/') {
            response.status = 404;
            return response;
        }
        std::ifstream in(folder / path.substr(1), std::ios::binary);
        if (!in) {
            response.status = 404;
            return response;
        }
        response.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return response;
    };
}

int LoopbackServer::closedPort() {
    int port = 0;
    ::close(listenOnLoopback(port));
    return port;
}

void LoopbackServer::serve() {
    std::vector<Client> clients;
    while (!m_stop) {
        std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
        for (const Client& client : clients) fds.push_back({client.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), kPollMilliseconds) <= 0) continue;

        if ((fds[0].revents & POLLIN) != 0) {
            const int fd = ::accept(m_listener, nullptr, nullptr);
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

// Answers every complete request in `input`; false when the connection
// should be closed.
bool LoopbackServer::answer(int fd, std::string& input, bool& silent) {
    for (;;) {
        if (silent) {
            input.clear();
            return true;
        }
        const std::size_t headEnd = input.find("\r\n\r\n");
        if (headEnd == std::string::npos) return input.size() <= kMaxRequestHead;
        const std::string line = input.substr(0, input.find("\r\n"));
        input.erase(0, headEnd + 4);
        const std::size_t pathStart = line.find(' ');
        const std::size_t pathEnd = line.find(' ', pathStart + 1);
        if (pathStart == std::string::npos || pathEnd == std::string::npos) return false;
        const std::string path = line.substr(pathStart + 1, pathEnd - pathStart - 1);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(path);
        }
        const HttpResponse response = m_handler(path);
        if (response.silent) {
            silent = true;
            continue;
        }
        std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) +
                           "\r\nContent-Type: " + response.contentType +
                           "\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\n";
        if (!response.location.empty()) head += "Location: " + response.location + "\r\n";
        // One send for head and body: two small writes would wait on the
        // client's delayed acknowledgement.
        if (!sendAll(fd, head + "\r\n" + response.body)) return false;
    }
}

}  // namespace skyroll::testing
