#include "AccessGuard.h"

#include <array>
#include <random>

namespace shunthost::serve {

std::string makeToken() {
    std::random_device device;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (int word = 0; word < 4; ++word) {
        std::uint32_t bits = device();
        for (int nibble = 0; nibble < 8; ++nibble) {
            token += kHex[bits & 0xF];
            bits >>= 4;
        }
    }
    return token;
}

bool sameSecret(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return difference == 0;
}

AccessGuard::AccessGuard(std::string token, int port) : token_(std::move(token)), port_(port) {}

std::string AccessGuard::pageAddress() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/?token=" + token_;
}

std::string AccessGuard::cookieName() const {
    return "shunt-token-" + std::to_string(port_);
}

std::string AccessGuard::sessionCookie() const {
    return cookieName() + "=" + token_ + "; Path=/; HttpOnly; SameSite=Strict";
}

// A page served under another name (a rebound DNS name pointing at
// 127.0.0.1) would count as its own origin to the browser; the Host header
// gives it away.
bool AccessGuard::ownHost(const std::string& host) const {
    const std::string port = ":" + std::to_string(port_);
    return host == "127.0.0.1" + port || host == "localhost" + port || host == "[::1]" + port;
}

bool AccessGuard::ownOrigin(const std::string& origin) const {
    return origin.starts_with("http://") && ownHost(origin.substr(7));
}

std::optional<std::string> AccessGuard::refusal(const RequestFacts& request) const {
    if (request.remoteAddress != "127.0.0.1" && request.remoteAddress != "::1" &&
        request.remoteAddress != "::ffff:127.0.0.1") {
        return "only this machine may connect";
    }
    if (!ownHost(request.host)) {
        return "the request is addressed to another host";
    }
    if (!request.origin.empty() && !ownOrigin(request.origin)) {
        return "the request comes from another origin";
    }
    // "none": the person typed or pasted the address; anything but the page
    // itself ("same-site" included: another port on this machine) is refused.
    if (!request.fetchSite.empty() && request.fetchSite != "same-origin" && request.fetchSite != "none") {
        return "the request comes from another site";
    }
    // The address's token wins over a cookie left by an earlier server on
    // the same port.
    const std::string& offered =
        !request.tokenParameter.empty() ? request.tokenParameter : request.tokenCookie;
    if (!sameSecret(offered, token_)) {
        return "the request does not carry the page's token";
    }
    return std::nullopt;
}

}  // namespace shunthost::serve
