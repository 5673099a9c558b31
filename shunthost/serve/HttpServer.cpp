#include "HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace shunthost::serve::http {

namespace {

std::string valueOf(MHD_Connection* connection, MHD_ValueKind kind, const std::string& name) {
    const char* value = MHD_lookup_connection_value(connection, kind, name.c_str());
    return value != nullptr ? value : "";
}

std::string peerAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr) {
        return "";
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (info->client_addr->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(info->client_addr);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    } else if (info->client_addr->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(info->client_addr);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    }
    return text;
}

// A request announces a body by its length or by chunks.
bool announcesBody(MHD_Connection* connection) {
    const std::string length = valueOf(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    return (!length.empty() && length.find_first_not_of('0') != std::string::npos) ||
           MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_TRANSFER_ENCODING) !=
               nullptr;
}

}  // namespace

bool Request::has_param(const std::string& name) const {
    struct Search {
        const std::string* name;
        bool found = false;
    } search{&name};
    MHD_get_connection_values(
        connection_, MHD_GET_ARGUMENT_KIND,
        [](void* cls, MHD_ValueKind, const char* key, const char*) {
            auto* s = static_cast<Search*>(cls);
            s->found = s->found || *s->name == key;
            return MHD_YES;
        },
        &search);
    return search.found;
}

std::string Request::get_param_value(const std::string& name) const {
    return valueOf(connection_, MHD_GET_ARGUMENT_KIND, name);
}

std::string Request::get_header_value(const std::string& name) const {
    return valueOf(connection_, MHD_HEADER_KIND, name);
}

std::string Request::get_cookie(const std::string& name) const {
    return valueOf(connection_, MHD_COOKIE_KIND, name);
}

bool Request::peer_gone() const {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection_, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (info == nullptr) {
        return true;
    }
    pollfd watch{info->connect_fd, POLLIN | POLLRDHUP, 0};
    if (poll(&watch, 1, 0) <= 0) {
        return false;
    }
    if ((watch.revents & (POLLHUP | POLLERR | POLLRDHUP)) != 0) {
        return true;
    }
    // Readable: either the next pipelined request, or the end of the stream.
    char next = 0;
    return recv(info->connect_fd, &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

Response::~Response() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void Response::set_header(const std::string& name, const std::string& value) {
    for (auto& [existing, old] : headers_) {
        if (strcasecmp(existing.c_str(), name.c_str()) == 0) {
            old = value;
            return;
        }
    }
    headers_.emplace_back(name, value);
}

void Response::set_content(std::string body, const std::string& contentType) {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    body_ = std::move(body);
    set_header("Content-Type", contentType);
}

void Response::set_file(int fd, std::uint64_t size, const std::string& contentType) {
    if (fd_ >= 0) {
        close(fd_);
    }
    body_.clear();
    fd_ = fd;
    fileSize_ = size;
    set_header("Content-Type", contentType);
}

void Response::set_redirect(const std::string& location, int redirectStatus) {
    status = redirectStatus;
    set_header("Location", location);
    set_content("", "text/plain; charset=utf-8");
}

// libmicrohttpd's callbacks, which find the server in their closure.
struct Server::Dispatch {
    static MHD_Result access(void* cls, MHD_Connection* connection, const char* url, const char* method,
                             const char*, const char*, size_t* uploadSize, void** started) {
        const Server& server = *static_cast<const Server*>(cls);
        // The first call has only the headers. Answering then is answering
        // early, after which the connection is closed; a request without a
        // body is answered on the next call, when it is complete, so that
        // the connection can be kept for the next one.
        static int startedMark = 0;
        const bool early = *started == nullptr;
        *started = &startedMark;
        const bool withBody = announcesBody(connection) || *uploadSize != 0;
        if (early && !withBody) {
            return MHD_YES;
        }
        Request request;
        request.connection_ = connection;
        request.method = method;
        request.path = url;
        request.remote_addr = peerAddress(connection);
        Response response;
        for (const auto& [name, value] : server.defaultHeaders_) {
            response.set_header(name, value);
        }
        // Every route takes its arguments from the address. A body is
        // answered at once, so it is never read: the connection is closed
        // after the answer instead.
        if (withBody) {
            response.status = 413;
            response.set_header("Connection", "close");
            response.set_content("no request takes a body\n", "text/plain; charset=utf-8");
        } else {
            server.handle(request, response);
        }
        return send(connection, response);
    }

    static MHD_Result send(MHD_Connection* connection, Response& response) {
        MHD_Response* reply = nullptr;
        if (response.fd_ >= 0) {
            reply = MHD_create_response_from_fd64(response.fileSize_, response.fd_);
            if (reply != nullptr) {
                response.fd_ = -1;  // libmicrohttpd closes it with the reply
            }
        } else {
            auto* body = new std::string(std::move(response.body_));
            reply = MHD_create_response_from_buffer_with_free_callback_cls(
                body->size(), body->data(), [](void* owned) { delete static_cast<std::string*>(owned); },
                body);
            if (reply == nullptr) {
                delete body;
            }
        }
        if (reply == nullptr) {
            return MHD_NO;
        }
        for (const auto& [name, value] : response.headers_) {
            MHD_add_response_header(reply, name.c_str(), value.c_str());
        }
        const MHD_Result queued =
            MHD_queue_response(connection, static_cast<unsigned>(response.status), reply);
        MHD_destroy_response(reply);
        return queued;
    }
};

Server::Server(Limits limits) : limits_(limits) {}

Server::~Server() {
    stop();
}

void Server::Get(const std::string& path, Handler handler) {
    gets_[path] = std::move(handler);
}

void Server::Post(const std::string& path, Handler handler) {
    posts_[path] = std::move(handler);
}

void Server::set_pre_routing_handler(std::function<HandlerResponse(const Request&, Response&)> handler) {
    preRouting_ = std::move(handler);
}

void Server::set_default_headers(std::vector<std::pair<std::string, std::string>> headers) {
    defaultHeaders_ = std::move(headers);
}

void Server::handle(const Request& request, Response& response) const {
    if (preRouting_ && preRouting_(request, response) == HandlerResponse::Handled) {
        return;
    }
    const bool get = request.method == "GET" || request.method == "HEAD";
    const auto& routes = get ? gets_ : posts_;
    const auto found = routes.find(request.path);
    if ((!get && request.method != "POST") || found == routes.end()) {
        response.status = 404;
        response.set_content("no such page\n", "text/plain; charset=utf-8");
        return;
    }
    found->second(request, response);
}

int Server::listen(int port) {
    if (port < 0 || port > 65535) {
        throw std::runtime_error("no such port: " + std::to_string(port));
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // A client that closes while its answer is sent must not stop the
    // program: the server's threads, which inherit this mask, never take
    // SIGPIPE.
    sigset_t pipe{};
    sigset_t previous{};
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    daemon_ = MHD_start_daemon(MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_POLL,
                               0, nullptr, nullptr, &Dispatch::access, this, MHD_OPTION_SOCK_ADDR, &address,
                               MHD_OPTION_CONNECTION_LIMIT, limits_.connections,
                               MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits_.connectionMemory,
                               MHD_OPTION_CONNECTION_TIMEOUT, limits_.idleSeconds, MHD_OPTION_END);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (daemon_ == nullptr) {
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    return info != nullptr ? info->port : port;
}

void Server::stop() {
    if (daemon_ != nullptr) {
        MHD_stop_daemon(daemon_);
        daemon_ = nullptr;
    }
}

}  // namespace shunthost::serve::http
