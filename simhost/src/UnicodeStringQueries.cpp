// The entries of "AI Unicode String Suite" that only read: units, lengths,
// compares and searches. Positions and counts are in UTF-16 units; a search
// that finds nothing answers npos.
#include "UnicodeStringAccess.h"

namespace simhost::stringsuite {

AIErr getUnit(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32* unit) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, 8, [&] { return num(pos); })) {
        return *fault;
    }
    const std::u16string* text = textOf(self, "getUnit");
    if (text == nullptr) {
        return kBadHandleErr;
    }
    if (unit == nullptr) {
        host.violation("getUnit: null result address");
        return kBadParameterErr;
    }
    if (pos >= text->size()) {
        return kBadParameterErr;
    }
    *unit = (*text)[pos];
    return kNoErr;
}

static ASInt32 compareAt(const char* entry, int number, bool ignoreCase, const AIUnicodeStringRef* self,
                         ASUInt32 pos, ASUInt32 count, const AIUnicodeStringRef* other, ASUInt32 otherPos,
                         ASUInt32 otherCount) {
    Host::current().enter(
        kUnicodeKey, number, [&] { return num(pos) + " " + num(count); }, false);
    const std::u16string* a = textOf(self, entry);
    const std::u16string* b = textOf(other, entry);
    if (a == nullptr || b == nullptr) {
        return 0;
    }
    std::u16string left(part(*a, pos, count));
    std::u16string right(part(*b, otherPos, otherCount));
    if (ignoreCase) {
        left = folded(left);
        right = folded(right);
    }
    return sign(left.compare(right));
}

ASInt32 compare(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count, const AIUnicodeStringRef* other,
                ASUInt32 otherPos, ASUInt32 otherCount) noexcept {
    return compareAt("compare", 10, false, self, pos, count, other, otherPos, otherCount);
}

ASInt32 caseCompare(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count,
                    const AIUnicodeStringRef* other, ASUInt32 otherPos, ASUInt32 otherCount) noexcept {
    return compareAt("caseCompare", 11, true, self, pos, count, other, otherPos, otherCount);
}

static AIErr canonicalCompareAt(const char* entry, int number, bool ignoreCase,
                                const AIUnicodeStringRef* self, const AIUnicodeStringRef* other,
                                ASInt32* result) {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, number, [] { return std::string(); })) {
        return *fault;
    }
    const std::u16string* a = textOf(self, entry);
    const std::u16string* b = textOf(other, entry);
    if (a == nullptr || b == nullptr) {
        return kBadHandleErr;
    }
    if (result == nullptr) {
        host.violation(std::string(entry) + ": null result address");
        return kBadParameterErr;
    }
    // Decomposed, folded when asked, and decomposed again: folding can undo a decomposition.
    auto canonical = [&](const std::u16string& text) -> std::optional<std::u16string> {
        auto d = unicode::normalize(text, ai::UnicodeString::kForm_NFD);
        if (!d || !ignoreCase) {
            return d;
        }
        return unicode::normalize(folded(*d), ai::UnicodeString::kForm_NFD);
    };
    const auto left = canonical(*a);
    const auto right = canonical(*b);
    if (!left || !right) {
        return kBadParameterErr;
    }
    *result = sign(left->compare(*right));
    return kNoErr;
}

AIErr canonicalCompare(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other,
                       ASInt32* result) noexcept {
    return canonicalCompareAt("canonicalCompare", 12, false, self, other, result);
}

AIErr canonicalCaseCompare(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other,
                           ASInt32* result) noexcept {
    return canonicalCompareAt("canonicalCaseCompare", 13, true, self, other, result);
}

ASUInt32 length(const AIUnicodeStringRef* self) noexcept {
    Host::current().enter(
        kUnicodeKey, 14, [] { return std::string(); }, false);
    const std::u16string* text = textOf(self, "length");
    return text != nullptr ? static_cast<ASUInt32>(text->size()) : 0;
}

AIBoolean empty(const AIUnicodeStringRef* self) noexcept {
    Host::current().enter(
        kUnicodeKey, 15, [] { return std::string(); }, false);
    const std::u16string* text = textOf(self, "empty");
    return text == nullptr || text->empty() ? 1 : 0;
}

AIBoolean hasSurrogates(const AIUnicodeStringRef* self) noexcept {
    Host::current().enter(
        kUnicodeKey, 31, [] { return std::string(); }, false);
    const std::u16string* text = textOf(self, "hasSurrogates");
    if (text == nullptr) {
        return 0;
    }
    for (char16_t unit : *text) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            return 1;
        }
    }
    return 0;
}

// --- searches: positions in units, npos when nothing is found

template <class Search>
static ASUInt32 search(const char* entry, int number, const AIUnicodeStringRef* self,
                       const AIUnicodeStringRef* other, Search&& how) {
    Host::current().enter(
        kUnicodeKey, number, [] { return std::string(); }, false);
    const std::u16string* text = textOf(self, entry);
    const std::u16string* pattern = other != nullptr ? textOf(other, entry) : &kEmptyText;
    if (text == nullptr || pattern == nullptr) {
        return npos;
    }
    return narrow(how(*text, *pattern));
}

ASUInt32 findUnit(const AIUnicodeStringRef* self, ASUInt32 unit, ASUInt32 pos) noexcept {
    return search("findUnit", 17, self, nullptr, [&](const std::u16string& t, const std::u16string&) {
        return t.find(unitText(unit), wide(pos));
    });
}

ASUInt32 find(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos) noexcept {
    return search("find", 18, self, other,
                  [&](const std::u16string& t, const std::u16string& p) { return t.find(p, wide(pos)); });
}

ASUInt32 findN(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
               ASUInt32 count) noexcept {
    return search("findN", 19, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 caseFind(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                  ASUInt32 count) noexcept {
    return search("caseFind", 20, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return folded(t).find(folded(p.substr(0, wide(count))), wide(pos));
    });
}

ASUInt32 rfindUnit(const AIUnicodeStringRef* self, ASUInt32 unit, ASUInt32 pos) noexcept {
    return search("rfindUnit", 21, self, nullptr, [&](const std::u16string& t, const std::u16string&) {
        return t.rfind(unitText(unit), wide(pos));
    });
}

ASUInt32 rfind(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos) noexcept {
    return search("rfind", 22, self, other,
                  [&](const std::u16string& t, const std::u16string& p) { return t.rfind(p, wide(pos)); });
}

ASUInt32 rfindN(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                ASUInt32 count) noexcept {
    return search("rfindN", 23, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.rfind(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 findFirstOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                     ASUInt32 count) noexcept {
    return search("findFirstOf", 24, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find_first_of(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 findFirstNotOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                        ASUInt32 count) noexcept {
    return search("findFirstNotOf", 25, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find_first_not_of(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 findLastOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                    ASUInt32 count) noexcept {
    return search("findLastOf", 26, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find_last_of(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 findLastNotOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                       ASUInt32 count) noexcept {
    return search("findLastNotOf", 27, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find_last_not_of(p.substr(0, wide(count)), wide(pos));
    });
}

}  // namespace simhost::stringsuite
