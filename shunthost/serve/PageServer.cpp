#include "PageServer.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "HttpServer.h"
#include "PageAssets.h"

namespace shunthost::serve {

namespace {

using namespace std::chrono_literals;

// Each connection has a thread of its own: enough for a few open pages,
// each holding a long poll and a waiting click, and the next request.
constexpr unsigned kConnections = 64;
// The request line and every header of one request fit in this, or the
// request is refused before more of it is read.
constexpr std::size_t kConnectionMemory = 64 * 1024;
constexpr unsigned kIdleSeconds = 30;
constexpr auto kLongPoll = 20s;
// How soon a long poll notices that its client went away, and frees its
// thread.
constexpr auto kPeerCheck = 100ms;
// Linked images are streamed from their file; this bounds what one request
// may make the server send.
constexpr std::uint64_t kLinkedImageLimit = 256ull << 20;

// Scripts only from the page itself: an event attribute or a script in the
// artwork, which the page shows inline, never runs.
constexpr const char* kPagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data:; "
    "connect-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'";
// Everything else the server answers (data, scripts, styles, errors) may
// load nothing and run nothing when it is opened by itself.
constexpr const char* kResourcePolicy =
    "default-src 'none'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'";
// A linked image opened at its own address is a document of an origin of
// its own that may run nothing: an SVG's scripts cannot reach the page's
// API. Drawn as an image, an SVG never runs scripts anyway.
constexpr const char* kImagePolicy =
    "default-src 'none'; img-src data:; style-src 'unsafe-inline'; frame-ancestors 'none'; sandbox";

// With its parameter the server does not compress it: on loopback that costs
// far more than sending it as it is.
constexpr const char* kJson = "application/json; charset=utf-8";

template <class T>
std::optional<T> number(const std::string& text) {
    T value{};
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

template <class T>
std::optional<std::vector<T>> numberList(const std::string& text) {
    std::vector<T> values;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        const auto value = number<T>(part);
        if (!value) {
            return std::nullopt;
        }
        values.push_back(*value);
    }
    return values;
}

// A number from the request within [low, high], so that nothing done with
// it later can overflow.
template <class T>
std::optional<T> numberIn(const std::string& text, T low, T high) {
    const auto value = number<T>(text);
    return value && *value >= low && *value <= high ? value : std::nullopt;
}

void refuse(http::Response& response, int status, const std::string& why) {
    response.status = status;
    response.set_content(why + "\n", "text/plain; charset=utf-8");
}

// Images are served only as the image types a browser draws; a file named
// otherwise is not served at all.
std::optional<std::string> imageTypeOf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::pair<const char*, const char*> kTypes[] = {
        {".png", "image/png"}, {".gif", "image/gif"},   {".jpg", "image/jpeg"},    {".jpeg", "image/jpeg"},
        {".bmp", "image/bmp"}, {".webp", "image/webp"}, {".svg", "image/svg+xml"},
    };
    for (const auto& [known, type] : kTypes) {
        if (extension == known) {
            return type;
        }
    }
    return std::nullopt;
}

// Streams a pinned file as an image, if it is still the file that was
// checked when the document opened.
void sendImage(http::Response& response, const std::optional<ServedFile>& file, const char* missing) {
    const auto type = file ? imageTypeOf(file->relative()) : std::nullopt;
    const auto opened = type ? file->open() : std::nullopt;
    if (!opened) {
        return refuse(response, 404, missing);
    }
    if (opened->size > kLinkedImageLimit) {
        close(opened->fd);
        return refuse(response, 413,
                      "the image is larger than " + std::to_string(kLinkedImageLimit >> 20) + " MB");
    }
    response.set_header("Content-Security-Policy", kImagePolicy);
    response.set_file(opened->fd, opened->size, *type);
}

// Key codes the page sends for the modifier keys held during a click.
std::optional<std::vector<int>> keysOf(const http::Request& request) {
    if (!request.has_param("keys")) {
        return std::vector<int>{};
    }
    auto keys = numberList<int>(request.get_param_value("keys"));
    if (!keys) {
        return std::nullopt;
    }
    for (int key : *keys) {
        if (key < 0 || key > 255) {
            return std::nullopt;
        }
    }
    return keys;
}

}  // namespace

PageServer::PageServer(ServeSession& session, HostMailbox& mailbox, PublishedState& published,
                       const PictureFiles& pictures)
    : session_(session),
      mailbox_(mailbox),
      published_(published),
      pictures_(pictures),
      server_(std::make_unique<http::Server>(http::Limits{kConnections, kConnectionMemory, kIdleSeconds})) {}

PageServer::~PageServer() {
    stop();
}

void PageServer::start(int port) {
    // The routes are in place before the first request can come; the guard
    // learns the port once it is bound.
    routes();
    const int bound = server_->listen(port);
    guard_ = std::make_unique<AccessGuard>(makeToken(), bound);
    guarded_ = true;
}

void PageServer::stop() {
    published_.close();
    server_->stop();
}

void PageServer::sendState(http::Response& response, const PublishedState::Snapshot& snapshot,
                           const JobOutcome& outcome) {
    response.status = outcome.status;
    // The page's long poll often brings a state the answer to its own click
    // already did: the version in a header lets it skip reading that again.
    response.set_header("Shunt-State-Version", std::to_string(snapshot.version));
    const nlohmann::json head = {
        {"ok", outcome.status < 300}, {"error", outcome.message}, {"version", snapshot.version}};
    std::string body = head.dump();
    body.pop_back();
    body += ",\"state\":" + *snapshot.json + "}";
    response.set_content(body, kJson);
}

void PageServer::post(http::Response& response, Job job, std::uint64_t modalBefore) {
    struct Pending {
        std::atomic<bool> done{false};
        JobOutcome outcome;
    };
    auto pending = std::make_shared<Pending>();
    job.finished = [pending](const JobOutcome& outcome) {
        pending->outcome = outcome;
        pending->done = true;
    };
    mailbox_.post(std::move(job));
    const auto snapshot = published_.waitSettled([&] { return pending->done.load(); }, modalBefore);
    // Not done: the job opened a dialog, which the page now shows.
    sendState(response, snapshot, pending->done ? pending->outcome : JobOutcome{202, ""});
}

void PageServer::act(http::Response& response, std::function<JobOutcome()> work) {
    Job job;
    job.run = std::move(work);
    post(response, std::move(job), published_.current().modal);
}

bool PageServer::read(http::Response& response, std::function<JobOutcome()> work) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    Job job;
    job.kind = Job::Kind::Read;
    job.run = std::move(work);
    job.finished = [done](const JobOutcome&) { *done = true; };
    mailbox_.post(std::move(job));
    // Read jobs run even while a dialog is open: only shutting down ends the wait early.
    published_.waitSettled([&] { return done->load(); }, published_.current().modal);
    if (!*done) {
        refuse(response, 503, "the host is busy: try again");
    }
    return *done;
}

void PageServer::answer(http::Response& response, std::uint64_t modal, int item) {
    Job job;
    job.kind = Job::Kind::Answer;
    job.modal = modal;
    job.item = item;
    post(response, std::move(job), modal);
}

void PageServer::routes() {
    http::Server& server = *server_;
    server.set_default_headers({{"Cache-Control", "no-store"},
                                {"X-Content-Type-Options", "nosniff"},
                                {"Referrer-Policy", "no-referrer"},
                                {"Cross-Origin-Resource-Policy", "same-origin"},
                                {"Content-Security-Policy", kResourcePolicy}});
    server.set_pre_routing_handler([this](const http::Request& request, http::Response& response) {
        if (!guarded_) {
            refuse(response, 503, "not serving yet");
            return http::Server::HandlerResponse::Handled;
        }
        // Browsers ask for an icon on their own, often before the page's
        // cookie is set: there is none, and that is no refusal to log.
        if (request.path == "/favicon.ico") {
            response.status = 204;
            return http::Server::HandlerResponse::Handled;
        }
        RequestFacts facts;
        facts.remoteAddress = request.remote_addr;
        facts.host = request.get_header_value("Host");
        facts.origin = request.get_header_value("Origin");
        facts.fetchSite = request.get_header_value("Sec-Fetch-Site");
        facts.tokenCookie = request.get_cookie(guard_->cookieName());
        // The address's token opens the page and nothing else.
        const bool opening = request.path == "/" && request.method == "GET";
        if (opening) {
            facts.tokenParameter = request.get_param_value("token");
        }
        if (const auto why = guard_->refusal(facts)) {
            refuse(response, 403, "refused: " + *why);
            return http::Server::HandlerResponse::Handled;
        }
        // The token is traded for the cookie, and the address the person
        // sees, bookmarks or shares no longer carries it.
        if (opening && !facts.tokenParameter.empty()) {
            response.set_header("Set-Cookie", guard_->sessionCookie());
            response.set_redirect("/");
            return http::Server::HandlerResponse::Handled;
        }
        return http::Server::HandlerResponse::Unhandled;
    });

    for (const PageAsset& asset : pageAssets()) {
        const std::string path = asset.name == "index.html" ? "/" : "/" + std::string(asset.name);
        server.Get(path, [asset](const http::Request&, http::Response& response) {
            if (asset.name == "index.html") {
                response.set_header("Content-Security-Policy", kPagePolicy);
            }
            response.set_content(std::string(asset.body), std::string(asset.contentType));
        });
    }

    server.Get("/api/state", [this](const http::Request& request, http::Response& response) {
        PublishedState::Snapshot snapshot = published_.current();
        if (request.has_param("since")) {
            const auto since = number<std::uint64_t>(request.get_param_value("since"));
            if (!since) {
                return refuse(response, 400, "since: not a number");
            }
            // A client that goes away stops the wait at once.
            const auto deadline = std::chrono::steady_clock::now() + kLongPoll;
            snapshot = published_.waitNewer(*since, kPeerCheck);
            while (snapshot.version <= *since && !published_.closed() &&
                   std::chrono::steady_clock::now() < deadline) {
                if (request.peer_gone()) {
                    return refuse(response, 499, "the client went away");
                }
                snapshot = published_.waitNewer(*since, kPeerCheck);
            }
        }
        sendState(response, snapshot, {});
    });

    // The artwork, whole or as the changes since a version the page has.
    server.Get("/api/artwork", [this](const http::Request& request, http::Response& response) {
        std::optional<std::uint64_t> since;
        if (request.has_param("since")) {
            since = number<std::uint64_t>(request.get_param_value("since"));
            if (!since) {
                return refuse(response, 400, "since: not a number");
            }
        }
        auto text = std::make_shared<std::string>();
        const bool done = read(response, [this, since, text] {
            *text = session_.artworkSince(since);
            return JobOutcome{};
        });
        if (done) {
            response.set_content(*text, kJson);
        }
    });

    server.Get("/picture", [this](const http::Request& request, http::Response& response) {
        const auto plugin = number<int>(request.get_param_value("plugin"));
        const auto id = number<ADMInt32>(request.get_param_value("id"));
        sendImage(response,
                  plugin && id ? pictures_.find(*plugin, *id, request.get_param_value("name")) : std::nullopt,
                  "no such picture");
    });

    server.Get("/linked", [this](const http::Request& request, http::Response& response) {
        sendImage(response, pictures_.findLinked(request.get_param_value("href")),
                  "the document links to no such image");
    });

    server.Post("/api/click", [this](const http::Request& request, http::Response& response) {
        const auto item = number<int>(request.get_param_value("item"));
        const auto keys = keysOf(request);
        if (!item || !keys) {
            return refuse(response, 400, "click: item=N [keys=CODE,...]");
        }
        act(response, [this, item = *item, keys = *keys] { return session_.click(item, keys); });
    });
    server.Post("/api/choose", [this](const http::Request& request, http::Response& response) {
        const auto index = number<int>(request.get_param_value("index"));
        const auto keys = keysOf(request);
        if (!index || !keys) {
            return refuse(response, 400, "choose: index=N [keys=CODE,...]");
        }
        act(response, [this, index = *index, keys = *keys] { return session_.choose(index, keys); });
    });
    server.Post("/api/menu", [this](const http::Request& request, http::Response& response) {
        const auto item = number<std::uint32_t>(request.get_param_value("item"));
        if (!item) {
            return refuse(response, 400, "menu: item=N");
        }
        act(response, [this, item = *item] { return session_.goMenu(item); });
    });
    server.Post("/api/menus/update", [this](const http::Request&, http::Response& response) {
        act(response, [this] { return session_.updateMenus(); });
    });
    server.Post("/api/select", [this](const http::Request& request, http::Response& response) {
        const std::string which = request.get_param_value("ids");
        if (which == "all") {
            return act(response, [this] { return session_.selectAll(); });
        }
        if (which.empty()) {
            return act(response, [this] { return session_.selectNone(); });
        }
        const auto ids = numberList<simhost::ArtId>(which);
        if (!ids) {
            return refuse(response, 400, "select: ids=all|ID,ID... [toggle=1]");
        }
        const bool toggle = request.get_param_value("toggle") == "1";
        act(response, [this, ids = *ids, toggle] { return session_.select(ids, toggle); });
    });
    server.Post("/api/drag", [this](const http::Request& request, http::Response& response) {
        // Host coordinates are 16-bit.
        const auto top = numberIn<int>(request.get_param_value("top"), -32768, 32767);
        const auto left = numberIn<int>(request.get_param_value("left"), -32768, 32767);
        if (!top || !left) {
            return refuse(response, 400, "drag: top=N left=N");
        }
        act(response, [this, top = *top, left = *left] { return session_.drag(top, left); });
    });
    server.Post("/api/answer", [this](const http::Request& request, http::Response& response) {
        const auto modal = number<std::uint64_t>(request.get_param_value("modal"));
        const auto item = number<int>(request.get_param_value("item"));
        if (!modal || !item) {
            return refuse(response, 400, "answer: modal=N item=N");
        }
        answer(response, *modal, *item);
    });
    server.Post("/api/undo", [this](const http::Request&, http::Response& response) {
        act(response, [this] { return session_.undo(); });
    });
    server.Post("/api/redo", [this](const http::Request&, http::Response& response) {
        act(response, [this] { return session_.redo(); });
    });
    server.Post("/api/save", [this](const http::Request&, http::Response& response) {
        act(response, [this] { return session_.save(); });
    });
}

}  // namespace shunthost::serve
