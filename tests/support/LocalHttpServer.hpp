// A cpp-httplib server on 127.0.0.1 and a free port, running on its own thread for the life
// of the object. Register handlers on `server` before start().
#pragma once

#include <httplib.h>

#include <string>
#include <thread>

namespace ZazidEvoz::testkit {

class LocalHttpServer {
public:
    httplib::Server server;

    LocalHttpServer() = default;
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;
    ~LocalHttpServer() { stop(); }

    void start();
    void stop();
    int port() const { return port_; }
    std::string url(const std::string& path = "/") const;

private:
    int port_ = 0;
    std::thread thread_;
};

} // namespace ZazidEvoz::testkit
