#include "LocalHttpServer.hpp"

#include <chrono>
#include <stdexcept>

namespace ZazidEvoz::testkit {

void LocalHttpServer::start() {
    port_ = server.bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("cannot bind a local HTTP server");
    thread_ = std::thread([this] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void LocalHttpServer::stop() {
    server.stop();
    if (thread_.joinable())
        thread_.join();
}

std::string LocalHttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

} // namespace ZazidEvoz::testkit
