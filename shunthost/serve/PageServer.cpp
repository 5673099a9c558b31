#include "PageServer.h"

#include <httplib.h>

#include <atomic>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "PageAssets.h"

namespace shunthost::serve {

namespace {

// Enough threads for a few open pages, each holding a long poll and a
// waiting click, without starving the next request.
constexpr std::size_t kServerThreads = 24;
constexpr int kLongPollSeconds = 20;
// An idle connection the browser keeps open holds a server thread, and
// shutting down waits for it; on loopback reconnecting costs nothing.
constexpr time_t kKeepAliveSeconds = 1;

// Scripts only from the page itself: an event attribute or a script in the
// artwork, which the page shows inline, never runs.
constexpr const char* kPagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data:; "
    "connect-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'";

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

void refuse(httplib::Response& response, int status, const std::string& why) {
    response.status = status;
    response.set_content(why + "\n", "text/plain; charset=utf-8");
}

std::string contentTypeOf(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    if (extension == ".png")
        return "image/png";
    if (extension == ".gif")
        return "image/gif";
    if (extension == ".jpg" || extension == ".jpeg")
        return "image/jpeg";
    if (extension == ".bmp")
        return "image/bmp";
    if (extension == ".webp")
        return "image/webp";
    if (extension == ".svg")
        return "image/svg+xml";
    return "application/octet-stream";
}

// Key codes the page sends for the modifier keys held during a click.
std::optional<std::vector<int>> keysOf(const httplib::Request& request) {
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
      server_(std::make_unique<httplib::Server>()) {}

PageServer::~PageServer() {
    stop();
}

void PageServer::start(int port) {
    server_->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server_->set_keep_alive_timeout(kKeepAliveSeconds);
    const int bound = port == 0 ? server_->bind_to_any_port("127.0.0.1")
                                : (server_->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    guard_ = std::make_unique<AccessGuard>(makeToken(), bound);
    routes();
    thread_ = std::thread([this] { server_->listen_after_bind(); });
}

void PageServer::stop() {
    published_.close();
    if (thread_.joinable()) {
        server_->stop();
        thread_.join();
    }
}

void PageServer::sendState(httplib::Response& response, const PublishedState::Snapshot& snapshot,
                           const JobOutcome& outcome) {
    response.status = outcome.status;
    const nlohmann::json head = {
        {"ok", outcome.status < 300}, {"error", outcome.message}, {"version", snapshot.version}};
    std::string body = head.dump();
    body.pop_back();
    body += ",\"state\":" + *snapshot.json + "}";
    response.set_content(body, kJson);
}

void PageServer::post(httplib::Response& response, Job job, std::uint64_t modalBefore) {
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

void PageServer::act(httplib::Response& response, std::function<JobOutcome()> work) {
    Job job;
    job.run = std::move(work);
    post(response, std::move(job), published_.current().modal);
}

bool PageServer::read(httplib::Response& response, std::function<JobOutcome()> work) {
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

void PageServer::answer(httplib::Response& response, std::uint64_t modal, int item) {
    Job job;
    job.kind = Job::Kind::Answer;
    job.modal = modal;
    job.item = item;
    post(response, std::move(job), modal);
}

void PageServer::routes() {
    httplib::Server& server = *server_;
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        response.set_header("Cache-Control", "no-store");
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_header("Referrer-Policy", "no-referrer");
        response.set_header("Cross-Origin-Resource-Policy", "same-origin");
        RequestFacts facts;
        facts.remoteAddress = request.remote_addr;
        facts.host = request.get_header_value("Host");
        facts.origin = request.get_header_value("Origin");
        facts.fetchSite = request.get_header_value("Sec-Fetch-Site");
        facts.tokenParameter = request.get_param_value("token");
        facts.tokenHeader = request.get_header_value("X-Shunt-Token");
        if (const auto why = guard_->refusal(facts)) {
            refuse(response, 403, "refused: " + *why);
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    for (const PageAsset& asset : pageAssets()) {
        const std::string path = asset.name == "index.html" ? "/" : "/" + std::string(asset.name);
        server.Get(path, [this, asset](const httplib::Request&, httplib::Response& response) {
            std::string body(asset.body);
            if (asset.name == "index.html") {
                // The page's scripts and styles are fetched with the token too.
                for (std::size_t at = body.find("{{TOKEN}}"); at != std::string::npos;
                     at = body.find("{{TOKEN}}")) {
                    body.replace(at, 9, guard_->token());
                }
                response.set_header("Content-Security-Policy", kPagePolicy);
            }
            response.set_content(body, std::string(asset.contentType));
        });
    }

    server.Get("/api/state", [this](const httplib::Request& request, httplib::Response& response) {
        PublishedState::Snapshot snapshot = published_.current();
        if (request.has_param("since")) {
            const auto since = number<std::uint64_t>(request.get_param_value("since"));
            if (!since) {
                return refuse(response, 400, "since: not a number");
            }
            snapshot = published_.waitNewer(*since, kLongPollSeconds);
        }
        sendState(response, snapshot, {});
    });

    // The artwork, whole or as the changes since a version the page has.
    server.Get("/api/artwork", [this](const httplib::Request& request, httplib::Response& response) {
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

    server.Get("/picture", [this](const httplib::Request& request, httplib::Response& response) {
        const auto plugin = number<int>(request.get_param_value("plugin"));
        const auto id = number<ADMInt32>(request.get_param_value("id"));
        const auto file =
            plugin && id ? pictures_.find(*plugin, *id, request.get_param_value("name")) : std::nullopt;
        if (!file) {
            return refuse(response, 404, "no such picture");
        }
        std::ifstream in(*file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        if (!in) {
            return refuse(response, 404, "the picture cannot be read");
        }
        response.set_content(bytes.str(), contentTypeOf(*file));
    });

    server.Get("/linked", [this](const httplib::Request& request, httplib::Response& response) {
        const auto file = pictures_.findLinked(request.get_param_value("href"));
        std::ifstream in(file.value_or(""), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        if (!file || !in) {
            return refuse(response, 404, "the document links to no such image");
        }
        response.set_content(bytes.str(), contentTypeOf(*file));
    });

    server.Post("/api/click", [this](const httplib::Request& request, httplib::Response& response) {
        const auto item = number<int>(request.get_param_value("item"));
        const auto keys = keysOf(request);
        if (!item || !keys) {
            return refuse(response, 400, "click: item=N [keys=CODE,...]");
        }
        act(response, [this, item = *item, keys = *keys] { return session_.click(item, keys); });
    });
    server.Post("/api/choose", [this](const httplib::Request& request, httplib::Response& response) {
        const auto index = number<int>(request.get_param_value("index"));
        const auto keys = keysOf(request);
        if (!index || !keys) {
            return refuse(response, 400, "choose: index=N [keys=CODE,...]");
        }
        act(response, [this, index = *index, keys = *keys] { return session_.choose(index, keys); });
    });
    server.Post("/api/menu", [this](const httplib::Request& request, httplib::Response& response) {
        const auto item = number<std::uint32_t>(request.get_param_value("item"));
        if (!item) {
            return refuse(response, 400, "menu: item=N");
        }
        act(response, [this, item = *item] { return session_.goMenu(item); });
    });
    server.Post("/api/menus/update", [this](const httplib::Request&, httplib::Response& response) {
        act(response, [this] { return session_.updateMenus(); });
    });
    server.Post("/api/select", [this](const httplib::Request& request, httplib::Response& response) {
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
    server.Post("/api/drag", [this](const httplib::Request& request, httplib::Response& response) {
        const auto top = number<int>(request.get_param_value("top"));
        const auto left = number<int>(request.get_param_value("left"));
        if (!top || !left) {
            return refuse(response, 400, "drag: top=N left=N");
        }
        act(response, [this, top = *top, left = *left] { return session_.drag(top, left); });
    });
    server.Post("/api/answer", [this](const httplib::Request& request, httplib::Response& response) {
        const auto modal = number<std::uint64_t>(request.get_param_value("modal"));
        const auto item = number<int>(request.get_param_value("item"));
        if (!modal || !item) {
            return refuse(response, 400, "answer: modal=N item=N");
        }
        answer(response, *modal, *item);
    });
    server.Post("/api/undo", [this](const httplib::Request&, httplib::Response& response) {
        act(response, [this] { return session_.undo(); });
    });
    server.Post("/api/redo", [this](const httplib::Request&, httplib::Response& response) {
        act(response, [this] { return session_.redo(); });
    });
    server.Post("/api/save", [this](const httplib::Request&, httplib::Response& response) {
        act(response, [this] { return session_.save(); });
    });
}

}  // namespace shunthost::serve
