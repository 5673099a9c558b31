// The page's HTTP layer: libmicrohttpd on 127.0.0.1, with everything a
// hostile local client could make it hold bounded. The request line and all
// headers of a request must fit in one connection's fixed memory, no route
// takes a body (one that is announced is refused before it is read), the
// connections (each with its own thread) are counted, and an idle one is
// closed. Answers are strings or files, which are sent from their descriptor
// without being read into memory.
#ifndef SHUNTHOST_SERVE_HTTPSERVER_H
#define SHUNTHOST_SERVE_HTTPSERVER_H

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct MHD_Connection;
struct MHD_Daemon;

namespace shunthost::serve::http {

struct Limits {
    unsigned connections = 64;                 // open at once, one thread each
    std::size_t connectionMemory = 64 * 1024;  // request line, headers and buffers of one connection
    unsigned idleSeconds = 30;                 // a connection that sends nothing for this long is closed
};

class Request {
public:
    std::string method;
    std::string path;
    std::string remote_addr;

    bool has_param(const std::string& name) const;
    // The query parameter's value, decoded; empty when absent.
    std::string get_param_value(const std::string& name) const;
    // The header's value (names are compared without case); empty when absent.
    std::string get_header_value(const std::string& name) const;
    std::string get_cookie(const std::string& name) const;
    // True once the client has closed its end: a request that waits for
    // something gives up at once instead of holding its thread.
    bool peer_gone() const;

private:
    friend class Server;
    MHD_Connection* connection_ = nullptr;
};

class Response {
public:
    Response() = default;
    Response(const Response&) = delete;
    Response& operator=(const Response&) = delete;
    ~Response();

    int status = 200;

    void set_header(const std::string& name, const std::string& value);
    void set_content(std::string body, const std::string& contentType);
    // Sends `size` bytes of the open file `fd`, which the response now owns.
    void set_file(int fd, std::uint64_t size, const std::string& contentType);
    void set_redirect(const std::string& location, int redirectStatus = 303);

private:
    friend class Server;
    std::vector<std::pair<std::string, std::string>> headers_;
    std::string body_;
    int fd_ = -1;
    std::uint64_t fileSize_ = 0;
};

class Server {
public:
    enum class HandlerResponse { Handled, Unhandled };
    using Handler = std::function<void(const Request&, Response&)>;

    explicit Server(Limits limits = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    void Get(const std::string& path, Handler handler);
    void Post(const std::string& path, Handler handler);
    // Runs before any route, and for requests that match none; Handled stops
    // the request with the response it wrote.
    void set_pre_routing_handler(std::function<HandlerResponse(const Request&, Response&)> handler);
    // Headers every response carries, set before the handler runs so that a
    // route may replace them.
    void set_default_headers(std::vector<std::pair<std::string, std::string>> headers);

    // Listens on 127.0.0.1:port (0: a free one) and serves on the server's
    // own threads. Returns the port; throws std::runtime_error when it
    // cannot be had.
    int listen(int port);
    // Closes every connection and joins the threads; handlers still waiting
    // must be woken by their owner first.
    void stop();

private:
    struct Dispatch;
    void handle(const Request& request, Response& response) const;

    Limits limits_;
    std::map<std::string, Handler> gets_;
    std::map<std::string, Handler> posts_;
    std::function<HandlerResponse(const Request&, Response&)> preRouting_;
    std::vector<std::pair<std::string, std::string>> defaultHeaders_;
    MHD_Daemon* daemon_ = nullptr;
};

}  // namespace shunthost::serve::http

#endif
