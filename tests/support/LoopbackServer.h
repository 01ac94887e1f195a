#pragma once
// A small HTTP/1.1 server on 127.0.0.1 and an ephemeral port, for the
// downloader's tests and benchmark. It runs on its own thread from
// construction to destruction, keeps connections open between requests, and
// answers each GET with what the handler says. Its sockets are POSIX
// (LoopbackSocketsPosix.cpp) or Winsock (LoopbackSocketsWin32.cpp).

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace skyroll::testing {

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/html";
    std::string body;
    std::string location;  // a Location header when not empty
    bool silent = false;   // never answer, keep the connection open
};

inline HttpResponse okPage(std::string body, std::string contentType = "text/html") {
    HttpResponse response;
    response.body = std::move(body);
    response.contentType = std::move(contentType);
    return response;
}
inline HttpResponse statusPage(int status, std::string location = {}) {
    HttpResponse response;
    response.status = status;
    response.body = "<H1>" + std::to_string(status) + "</H1>";
    response.location = std::move(location);
    return response;
}
inline HttpResponse silence() {
    HttpResponse response;
    response.silent = true;
    return response;
}

class LoopbackServer {
public:
    using Handler = std::function<HttpResponse(const std::string& path)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // "127.0.0.1:<port>".
    std::string host() const;
    // Request paths in the order they arrived.
    std::vector<std::string> requests() const;
    // Connections accepted so far.
    int connections() const { return m_connections.load(); }

    // Serves the files of `folder` by path; 404 for anything else.
    static Handler folderHandler(std::filesystem::path folder);
    // A port on 127.0.0.1 on which nothing listens (just released).
    static int closedPort();

private:
    void serve();
    bool answer(std::intptr_t socket, std::string& input, bool& silent);
    static bool sendAll(std::intptr_t socket, const std::string& bytes);

    Handler m_handler;
    std::intptr_t m_listener = -1;  // a descriptor, or a Winsock SOCKET
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

}  // namespace skyroll::testing
