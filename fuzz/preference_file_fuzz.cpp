// The host's preference file. A damaged one is refused as a whole; what is
// accepted writes out and reads back to the same values.
#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>

#include "simhost/PreferenceStore.h"

namespace {

bool sameValue(const simhost::PreferenceValue& a, const simhost::PreferenceValue& b) {
    if (a.index() != b.index()) {
        return false;
    }
    return std::visit(
        [&b](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            const T& y = std::get<T>(b);
            if constexpr (std::is_same_v<T, ADMPoint>) {
                return x.v == y.v && x.h == y.h;
            } else {
                return x == y;
            }
        },
        a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using simhost::PreferenceStore;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto values = PreferenceStore::parse(text, error);
    if (!values) {
        if (error.empty()) {
            __builtin_trap();  // a refusal always says why
        }
        return 0;
    }
    PreferenceStore store{std::string()};
    for (const auto& [where, value] : *values) {
        store.put(where.first, where.second, value);
    }
    std::string again;
    const auto reread = PreferenceStore::parse(store.serialize(), again);
    if (!reread || reread->size() != values->size()) {
        __builtin_trap();
    }
    for (auto a = values->begin(), b = reread->begin(); a != values->end(); ++a, ++b) {
        if (a->first != b->first || !sameValue(a->second, b->second)) {
            __builtin_trap();
        }
    }
    return 0;
}
