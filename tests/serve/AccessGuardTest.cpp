// Only the page itself, on this machine, with the token, gets through.
#include <gtest/gtest.h>

#include <set>

#include "AccessGuard.h"

namespace shunthost::serve {
namespace {

const std::string kToken = "00112233445566778899aabbccddeeff";

class AccessGuardTest : public ::testing::Test {
protected:
    AccessGuard guard{kToken, 8123};
    // A request of the page's own: loopback, its host, its token.
    RequestFacts pageRequest() const {
        RequestFacts facts;
        facts.remoteAddress = "127.0.0.1";
        facts.host = "127.0.0.1:8123";
        facts.tokenCookie = kToken;
        return facts;
    }
};

TEST_F(AccessGuardTest, ThePagesOwnRequestsGetThrough) {
    EXPECT_EQ(guard.refusal(pageRequest()), std::nullopt);
    RequestFacts fetched = pageRequest();
    fetched.origin = "http://127.0.0.1:8123";
    fetched.fetchSite = "same-origin";
    EXPECT_EQ(guard.refusal(fetched), std::nullopt);
    RequestFacts typed = pageRequest();
    typed.tokenCookie.clear();
    typed.tokenParameter = kToken;
    typed.fetchSite = "none";  // the address typed into the browser
    EXPECT_EQ(guard.refusal(typed), std::nullopt);
}

TEST_F(AccessGuardTest, ARequestWithoutTheTokenIsRefused) {
    RequestFacts none = pageRequest();
    none.tokenCookie.clear();
    EXPECT_TRUE(guard.refusal(none));
    RequestFacts wrong = pageRequest();
    wrong.tokenCookie = "00112233445566778899aabbccddeefe";
    EXPECT_TRUE(guard.refusal(wrong));
    RequestFacts prefix = pageRequest();
    prefix.tokenCookie = kToken.substr(0, 16);
    EXPECT_TRUE(guard.refusal(prefix));
}

// The address's token replaces a cookie an earlier server on this port
// left; a wrong address is not rescued by a good cookie.
TEST_F(AccessGuardTest, TheAddressTokenDecidesOverTheCookie) {
    RequestFacts stale = pageRequest();
    stale.tokenCookie = "wrong";
    stale.tokenParameter = kToken;
    EXPECT_EQ(guard.refusal(stale), std::nullopt);
    RequestFacts wrongAddress = pageRequest();
    wrongAddress.tokenParameter = "wrong";
    EXPECT_TRUE(guard.refusal(wrongAddress));
}

TEST_F(AccessGuardTest, AnotherOriginIsRefusedEvenWithTheToken) {
    for (const char* origin :
         {"http://example.com", "http://127.0.0.1:8124", "https://127.0.0.1:8123", "null"}) {
        RequestFacts request = pageRequest();
        request.origin = origin;
        EXPECT_TRUE(guard.refusal(request)) << origin;
    }
    for (const char* site : {"cross-site", "same-site"}) {
        RequestFacts request = pageRequest();
        request.fetchSite = site;
        EXPECT_TRUE(guard.refusal(request)) << site;
    }
}

TEST_F(AccessGuardTest, ARequestAddressedToAnotherHostNameIsRefused) {
    for (const char* host : {"evil.example:8123", "127.0.0.1:8124", "127.0.0.1", ""}) {
        RequestFacts request = pageRequest();
        request.host = host;
        EXPECT_TRUE(guard.refusal(request)) << host;
    }
    RequestFacts named = pageRequest();
    named.host = "localhost:8123";
    EXPECT_EQ(guard.refusal(named), std::nullopt);
}

TEST_F(AccessGuardTest, OnlyThisMachineMayConnect) {
    RequestFacts request = pageRequest();
    request.remoteAddress = "192.168.1.20";
    EXPECT_TRUE(guard.refusal(request));
}

TEST(PageToken, IsThirtyTwoHexDigitsAndNewEachTime) {
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        const std::string token = makeToken();
        EXPECT_EQ(token.size(), 32u);
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << token;
        seen.insert(token);
    }
    EXPECT_EQ(seen.size(), 20u);
}

TEST(PageToken, TheAddressCarriesItAndTheCookieKeepsItFromScriptsAndOtherSites) {
    const AccessGuard guard(kToken, 8123);
    EXPECT_EQ(guard.pageAddress(), "http://127.0.0.1:8123/?token=" + kToken);
    EXPECT_EQ(guard.sessionCookie(), "shunt-token-8123=" + kToken + "; Path=/; HttpOnly; SameSite=Strict");
}

}  // namespace
}  // namespace shunthost::serve
