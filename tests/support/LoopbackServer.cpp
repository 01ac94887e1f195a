#include "tests/support/LoopbackServer.h"

#include <fstream>
#include <iterator>

// What both systems' servers share: the requests, the answers, the files.
// The sockets are LoopbackSocketsPosix.cpp's or LoopbackSocketsWin32.cpp's.

namespace skyroll::testing {
namespace {

constexpr std::size_t kMaxRequestHead = 16 * 1024;

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

}  // namespace

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

// Answers every complete request in `input`; false when the connection
// should be closed.
bool LoopbackServer::answer(std::intptr_t socket, std::string& input, bool& silent) {
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
        if (!sendAll(socket, head + "\r\n" + response.body)) return false;
    }
}

}  // namespace skyroll::testing
