// `shunt-host serve` as a hostile program on this machine meets it: raw HTTP
// on loopback against the real server, whose memory and threads are read
// from /proc.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Reply {
    int status = 0;                              // 0: no answer
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    std::string header(const std::string& name) const {
        const auto found = headers.find(name);
        return found == headers.end() ? "" : found->second;
    }
};

int connectTo(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Sends everything it can; false once the server stopped taking it.
bool sendAll(int fd, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads one answer: up to the end of the connection, or of the body its
// length announces. A body longer than `keep` is counted, not kept.
Reply readReply(int fd, std::uint64_t* counted = nullptr, std::size_t keep = 1 << 20) {
    Reply reply;
    std::string head;
    std::vector<char> buffer(1 << 16);
    std::uint64_t bodyBytes = 0;
    std::optional<std::uint64_t> length;
    for (;;) {
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n <= 0) {
            break;
        }
        if (reply.status == 0) {
            head.append(buffer.data(), static_cast<std::size_t>(n));
            const auto end = head.find("\r\n\r\n");
            if (end == std::string::npos) {
                continue;
            }
            std::istringstream lines(head.substr(0, end));
            std::string line;
            std::getline(lines, line);
            reply.status = std::stoi(line.substr(9, 3));
            while (std::getline(lines, line)) {
                const auto colon = line.find(':');
                std::string name = line.substr(0, colon);
                std::transform(name.begin(), name.end(), name.begin(),
                               [](unsigned char c) { return std::tolower(c); });
                std::string value = line.substr(colon + 1);
                value.erase(0, value.find_first_not_of(' '));
                value.erase(value.find_last_not_of("\r ") + 1);
                reply.headers[name] = value;
            }
            if (!reply.header("content-length").empty()) {
                length = std::stoull(reply.header("content-length"));
            }
            const std::string rest = head.substr(end + 4);
            bodyBytes += rest.size();
            reply.body += rest.substr(0, keep);
        } else {
            bodyBytes += static_cast<std::uint64_t>(n);
            if (reply.body.size() < keep) {
                reply.body.append(buffer.data(),
                                  std::min(static_cast<std::size_t>(n), keep - reply.body.size()));
            }
        }
        if (length && bodyBytes >= *length) {
            break;
        }
    }
    if (counted != nullptr) {
        *counted = bodyBytes;
    }
    return reply;
}

// A temporary folder with the artwork and the files it links to.
class Workspace {
public:
    Workspace() {
        char name[] = "/tmp/shunt-serve-http-XXXXXX";
        root_ = mkdtemp(name);
        fs::create_directory(root_ / "art");
        write("art/stamp.svg", kStamp);
        write("art/artwork.svg", kArtwork);
        write("secret.txt", "the secret outside the artwork's folder\n");
        // Sparse: large to the server, no room on the disk.
        fs::resize_file(write("art/big.png", ""), 200ull << 20);
        fs::resize_file(write("art/huge.png", ""), 300ull << 20);
    }
    ~Workspace() { fs::remove_all(root_); }
    fs::path path(const std::string& relative) const { return root_ / relative; }
    fs::path write(const std::string& relative, const std::string& text) const {
        std::ofstream(root_ / relative, std::ios::binary) << text;
        return root_ / relative;
    }

    static constexpr const char* kStamp =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
        "<script>fetch('/api/undo', {method: 'POST'})</script><rect width=\"10\" height=\"10\"/></svg>\n";
    static constexpr const char* kArtwork =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
        "<rect id=\"box\" width=\"50\" height=\"50\" fill=\"#888\"/>"
        "<image id=\"stamp\" href=\"stamp.svg\" width=\"10\" height=\"10\"/>"
        "<image id=\"big\" href=\"big.png\" width=\"10\" height=\"10\"/>"
        "<image id=\"huge\" href=\"huge.png\" width=\"10\" height=\"10\"/>"
        "<image id=\"outside\" href=\"../secret.txt\" width=\"10\" height=\"10\"/></svg>\n";

private:
    fs::path root_;
};

// `shunt-host serve` on the workspace's artwork, on a free port.
class Server {
public:
    explicit Server(const Workspace& workspace) {
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string artwork = workspace.path("art/artwork.svg").string();
        const std::string prefs = workspace.path("prefs.txt").string();
        std::vector<std::string> args = {SHUNT_HOST_PROGRAM, "serve",   artwork, "--port", "0", "--plugins",
                                         SHUNT_TEST_PLUGINS, "--prefs", prefs};
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string printed;
        char chunk[256];
        const std::regex address(R"(Open http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+))");
        std::smatch found;
        while (!std::regex_search(printed, found, address)) {
            const ssize_t n = read(out[0], chunk, sizeof chunk);
            if (n <= 0) {
                break;
            }
            printed.append(chunk, static_cast<std::size_t>(n));
        }
        close(out[0]);
        if (!found.empty()) {
            port = std::stoi(found[1]);
            token = found[2];
        }
    }
    ~Server() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }

    std::string cookie() const { return "shunt-token-" + std::to_string(port) + "=" + token; }
    // A request as the page sends it: its host, its cookie.
    std::string request(const std::string& method, const std::string& target,
                        const std::string& extra = "") const {
        return method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
               "\r\nCookie: " + cookie() + "\r\nConnection: close\r\n" + extra + "\r\n";
    }
    Reply exchange(const std::string& raw, std::uint64_t* counted = nullptr) const {
        const int fd = connectTo(port);
        sendAll(fd, raw);
        Reply reply = readReply(fd, counted);
        close(fd);
        return reply;
    }
    Reply get(const std::string& target) const { return exchange(request("GET", target)); }
    Reply post(const std::string& target) const {
        return exchange(request("POST", target, "Content-Length: 0\r\n"));
    }

    // A line of /proc/PID/status, as a number (kB for memory).
    long status(const std::string& field) const {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.starts_with(field + ":")) {
                return std::stol(line.substr(field.size() + 1));
            }
        }
        return -1;
    }
    std::uint64_t version() const {
        std::smatch found;
        const std::string body = get("/api/state").body;
        return std::regex_search(body, found, std::regex(R"("version":(\d+))")) ? std::stoull(found[1]) : 0;
    }

    int port = 0;
    std::string token;

private:
    pid_t pid_ = -1;
};

class ServeHttpTest : public ::testing::Test {
protected:
    // The plug-in starts, and opens its palette, once the server already
    // listens: each test begins when the host has settled.
    void SetUp() override {
        ASSERT_NE(server.port, 0) << "shunt-host serve did not start";
        for (int i = 0; i < 100 && server.get("/api/state").body.find("\"palette\":{") == std::string::npos;
             ++i) {
            std::this_thread::sleep_for(50ms);
        }
    }
    Workspace workspace;
    Server server{workspace};
};

constexpr long kMegabyte = 1024;  // in the kB of /proc

TEST_F(ServeHttpTest, TheAddressTokenIsTradedForAStrictCookieAndLeavesTheAddress) {
    const std::string host = "Host: 127.0.0.1:" + std::to_string(server.port) + "\r\n";
    const Reply opened = server.exchange("GET /?token=" + server.token + " HTTP/1.1\r\n" + host + "\r\n");
    EXPECT_EQ(opened.status, 303);
    EXPECT_EQ(opened.header("location"), "/");
    const std::string cookie = opened.header("set-cookie");
    EXPECT_TRUE(cookie.starts_with(server.cookie() + ";")) << cookie;
    for (const char* attribute : {"; HttpOnly", "; SameSite=Strict", "; Path=/"}) {
        EXPECT_NE(cookie.find(attribute), std::string::npos) << attribute << " in " << cookie;
    }
    EXPECT_EQ(cookie.find("Domain"), std::string::npos);

    const Reply page = server.get("/");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.body.find(server.token), std::string::npos) << "the page carries the token";
    EXPECT_EQ(server.get("/api/state").status, 200);

    // The token is good for opening the page only; nothing else takes it.
    const std::string state = "GET /api/state HTTP/1.1\r\n" + host;
    EXPECT_EQ(
        server.exchange("GET /api/state?token=" + server.token + " HTTP/1.1\r\n" + host + "\r\n").status,
        403);
    EXPECT_EQ(server.exchange(state + "X-Shunt-Token: " + server.token + "\r\n\r\n").status, 403);
    EXPECT_EQ(server.exchange(state + "Cookie: shunt-token-1=" + server.token + "\r\n\r\n").status, 403);
    EXPECT_EQ(server.exchange(state + "Cookie: " + server.cookie() + "0\r\n\r\n").status, 403);
    // A cookie left by an earlier server on this port gives way to the new
    // address; a wrong address is not rescued by the cookie.
    EXPECT_EQ(server
                  .exchange("GET /?token=" + server.token + " HTTP/1.1\r\n" + host + "Cookie: shunt-token-" +
                            std::to_string(server.port) + "=0123\r\n\r\n")
                  .status,
              303);
    EXPECT_EQ(server.get("/?token=00112233445566778899aabbccddeeff").status, 403);
}

TEST_F(ServeHttpTest, EveryAnswerCarriesTheSecurityHeaders) {
    const std::string host = "Host: 127.0.0.1:" + std::to_string(server.port) + "\r\n";
    const std::vector<std::pair<std::string, std::string>> requests = {
        {"page", server.request("GET", "/")},
        {"script", server.request("GET", "/page.js")},
        {"style", server.request("GET", "/page.css")},
        {"state", server.request("GET", "/api/state")},
        {"opening", "GET /?token=" + server.token + " HTTP/1.1\r\n" + host + "\r\n"},
        {"refused", "GET /api/state HTTP/1.1\r\n" + host + "\r\n"},
        {"no such page", server.request("GET", "/nowhere")},
        {"bad number", server.request("POST", "/api/click?item=x")},
        {"linked image", server.request("GET", "/linked?href=stamp.svg")},
        {"no such image", server.request("GET", "/linked?href=none.svg")},
        {"a body", server.request("POST", "/api/undo", "Content-Length: 5\r\n") + "hello"},
    };
    for (const auto& [what, raw] : requests) {
        const Reply reply = server.exchange(raw);
        EXPECT_NE(reply.status, 0) << what;
        EXPECT_NE(reply.header("content-security-policy").find("default-src 'none'"), std::string::npos)
            << what;
        EXPECT_EQ(reply.header("x-content-type-options"), "nosniff") << what;
        EXPECT_EQ(reply.header("referrer-policy"), "no-referrer") << what;
    }
}

TEST_F(ServeHttpTest, ALinkedSvgIsServedAsAnImageThatRunsNothing) {
    const Reply stamp = server.get("/linked?href=stamp.svg");
    EXPECT_EQ(stamp.status, 200);
    EXPECT_EQ(stamp.body, Workspace::kStamp);
    EXPECT_EQ(stamp.header("content-type"), "image/svg+xml");
    const std::string policy = stamp.header("content-security-policy");
    EXPECT_NE(policy.find("sandbox"), std::string::npos) << policy;
    EXPECT_EQ(policy.find("allow-"), std::string::npos) << policy;
    EXPECT_EQ(server.get("/linked?href=../secret.txt").status, 404);
}

TEST_F(ServeHttpTest, HeadersBeyondTheirBoundAreRefusedWithoutGrowingTheServer) {
    const long before = server.status("VmHWM");
    struct Flood {
        int lines;
        std::size_t lineSize;
    };
    for (const Flood flood : {Flood{12000, 8000}, Flood{1, 1 << 20}}) {
        const int fd = connectTo(server.port);
        // The server stops reading once it has refused: sending gives up soon.
        timeval limit{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        sendAll(fd, "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port) + "\r\n");
        const std::string line = "X-Filler: " + std::string(flood.lineSize, 'a') + "\r\n";
        bool taken = true;
        for (int i = 0; i < flood.lines && taken; ++i) {
            taken = sendAll(fd, line);
        }
        if (taken) {
            sendAll(fd, "\r\n");
        }
        const Reply reply = readReply(fd);
        EXPECT_NE(reply.status, 200) << flood.lines << " lines";
        close(fd);
    }
    EXPECT_LT(server.status("VmHWM") - before, 40 * kMegabyte);
    EXPECT_EQ(server.get("/api/state").status, 200);
}

TEST_F(ServeHttpTest, ABodyNoRouteTakesIsRefusedBeforeItIsRead) {
    const long before = server.status("VmHWM");
    const int fd = connectTo(server.port);
    sendAll(fd, server.request("POST", "/api/undo", "Content-Length: 400000000\r\n"));
    sendAll(fd, std::string(1 << 20, 'x'));
    const Reply reply = readReply(fd);
    close(fd);
    EXPECT_EQ(reply.status, 413);
    EXPECT_LT(server.status("VmHWM") - before, 16 * kMegabyte);
    EXPECT_EQ(server.get("/api/state").status, 200);
}

TEST_F(ServeHttpTest, LargeLinkedImagesAreStreamedAndBounded) {
    const long before = server.status("VmHWM");
    std::vector<std::future<std::pair<int, std::uint64_t>>> readers;
    for (int i = 0; i < 3; ++i) {
        readers.push_back(std::async(std::launch::async, [this] {
            std::uint64_t counted = 0;
            const Reply reply = server.exchange(server.request("GET", "/linked?href=big.png"), &counted);
            return std::make_pair(reply.status, counted);
        }));
    }
    for (auto& reader : readers) {
        const auto [status, counted] = reader.get();
        EXPECT_EQ(status, 200);
        EXPECT_EQ(counted, 200ull << 20);
    }
    EXPECT_LT(server.status("VmHWM") - before, 32 * kMegabyte);
    EXPECT_EQ(server.get("/linked?href=huge.png").status, 413);
}

TEST_F(ServeHttpTest, AnAbandonedLongPollFreesItsThreadAtOnce) {
    const std::uint64_t version = server.version();
    const long threadsBefore = server.status("Threads");
    std::vector<int> polls;
    for (int i = 0; i < 30; ++i) {
        polls.push_back(connectTo(server.port));
        sendAll(polls.back(), server.request("GET", "/api/state?since=" + std::to_string(version)));
    }
    std::this_thread::sleep_for(300ms);
    for (int fd : polls) {
        close(fd);
    }
    // The next request is answered at once, not after the polls' 20 s.
    const int fd = connectTo(server.port);
    timeval limit{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sendAll(fd, server.request("GET", "/api/state"));
    EXPECT_EQ(readReply(fd).status, 200);
    close(fd);
    long threads = server.status("Threads");
    for (int i = 0; i < 50 && threads > threadsBefore + 1; ++i) {
        std::this_thread::sleep_for(100ms);
        threads = server.status("Threads");
    }
    EXPECT_LE(threads, threadsBefore + 1);
}

TEST_F(ServeHttpTest, ALinkedImageSwappedAfterOpeningIsNotServed) {
    ASSERT_EQ(server.get("/linked?href=stamp.svg").status, 200);
    const fs::path stamp = workspace.path("art/stamp.svg");
    fs::remove(stamp);
    fs::create_symlink(workspace.path("secret.txt"), stamp);
    Reply reply = server.get("/linked?href=stamp.svg");
    EXPECT_EQ(reply.status, 404);
    EXPECT_EQ(reply.body.find("secret"), std::string::npos);
    // Nor another file linked in its place.
    fs::remove(stamp);
    fs::create_hard_link(workspace.path("secret.txt"), stamp);
    reply = server.get("/linked?href=stamp.svg");
    EXPECT_EQ(reply.status, 404);
    EXPECT_EQ(reply.body.find("secret"), std::string::npos);
}

TEST_F(ServeHttpTest, DragCoordinatesOutsideTheHostsRangeAreRefused) {
    const auto paletteBounds = [this] {
        const std::string body = server.get("/api/state").body;
        const auto at = body.find("\"palette\":{\"bounds\":");
        return at == std::string::npos ? "" : body.substr(at, body.find('}', at) - at);
    };
    const std::string before = paletteBounds();
    ASSERT_FALSE(before.empty());
    for (const char* query : {"top=2147483647&left=0", "top=0&left=2147483647", "top=-2147483648&left=0",
                              "top=32768&left=0", "top=0&left=-32769", "top=99999999999&left=0"}) {
        EXPECT_EQ(server.post(std::string("/api/drag?") + query).status, 400) << query;
        EXPECT_EQ(paletteBounds(), before) << query;
    }
    EXPECT_EQ(server.post("/api/drag?top=120&left=140").status, 200);
    EXPECT_NE(paletteBounds(), before);
}

}  // namespace
