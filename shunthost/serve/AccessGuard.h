// Who may talk to the page's server: only this machine, only with the token
// that was printed with the address, and only from the page itself. Another
// site open in the same browser must not drive the palette or read the
// artwork, even though it can reach 127.0.0.1. The address's token is good
// only for opening the page, which trades it for a cookie that scripts
// cannot read and other sites' requests do not carry; every other request
// is let through by that cookie alone.
#ifndef SHUNTHOST_SERVE_ACCESSGUARD_H
#define SHUNTHOST_SERVE_ACCESSGUARD_H

#include <optional>
#include <string>

namespace shunthost::serve {

// 128 random bits as 32 lowercase hex digits.
std::string makeToken();

// What the guard looks at in a request; absent headers are empty.
struct RequestFacts {
    std::string remoteAddress;   // the peer's address as the socket saw it
    std::string host;            // Host header
    std::string origin;          // Origin header
    std::string fetchSite;       // Sec-Fetch-Site header
    std::string tokenParameter;  // ?token=, looked at only where the page is opened
    std::string tokenCookie;     // the cookie named cookieName()
};

class AccessGuard {
public:
    AccessGuard(std::string token, int port);

    // Why the request is refused, or nothing when it may go on.
    std::optional<std::string> refusal(const RequestFacts& request) const;

    const std::string& token() const { return token_; }
    // The address a person opens, token included.
    std::string pageAddress() const;
    // Cookies ignore ports: the name keeps two servers on one machine apart.
    std::string cookieName() const;
    // The Set-Cookie value that carries the token: for this server only,
    // never to scripts, never with a request another site started.
    std::string sessionCookie() const;

private:
    bool ownHost(const std::string& host) const;
    bool ownOrigin(const std::string& origin) const;

    std::string token_;
    int port_;
};

// Compares in time that does not depend on where the texts differ.
bool sameSecret(const std::string& a, const std::string& b);

}  // namespace shunthost::serve

#endif
