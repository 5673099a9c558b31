// How the simulated host makes and checks handles. A handle is never a real
// pointer: it carries its kind in the low four bits and a slot index above
// them, so the host can tell a null, unknown, expired or wrong-kind handle
// from a good one in constant time without touching memory.
#ifndef SIMHOST_HANDLES_H
#define SIMHOST_HANDLES_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hostapi/ASTypes.h"

namespace simhost {

enum class HandleKind : std::uint8_t {
    Plugin = 1,
    Access,
    Art,
    Pattern,
    MenuItem,
    MenuGroup,
    Notifier,
    AppContext,
    UnicodeString,
    Dialog,
    Item,
    List,
    Entry,
    ADMNotifier,
    Tracker,
};

const char* handleKindName(HandleKind kind);

template <class H>
H encodeHandle(HandleKind kind, std::uint32_t index) {
    const auto bits = ((static_cast<std::uintptr_t>(index) + 1) << 4) | static_cast<std::uintptr_t>(kind);
    return reinterpret_cast<H>(bits);
}

struct DecodedHandle {
    HandleKind kind;
    std::uint32_t index;
};

inline std::optional<DecodedHandle> decodeHandle(const void* handle) {
    const auto bits = reinterpret_cast<std::uintptr_t>(handle);
    if (bits < 16) {
        return std::nullopt;
    }
    return DecodedHandle{static_cast<HandleKind>(bits & 0xF), static_cast<std::uint32_t>((bits >> 4) - 1)};
}

inline AIPatternHandle patternHandle(std::uint32_t patternId) {
    return encodeHandle<AIPatternHandle>(HandleKind::Pattern, patternId);
}
inline AIArtHandle artHandle(std::uint32_t artId) {
    return encodeHandle<AIArtHandle>(HandleKind::Art, artId);
}

// Why a handle was turned away.
enum class HandleProblem { None, Null, WrongKind, Unknown, Expired };
const char* handleProblemText(HandleProblem problem);

// Slots of one kind of host object. Slots are never reused, so a handle to a
// removed object stays recognisably expired.
template <class T, HandleKind Kind, class H>
class HandleTable {
public:
    H add(T value) {
        slots_.push_back(std::move(value));
        alive_.push_back(true);
        return encodeHandle<H>(Kind, static_cast<std::uint32_t>(slots_.size() - 1));
    }
    HandleProblem check(H handle) const {
        if (handle == nullptr) {
            return HandleProblem::Null;
        }
        const auto decoded = decodeHandle(handle);
        if (!decoded || decoded->kind != Kind) {
            return HandleProblem::WrongKind;
        }
        if (decoded->index >= slots_.size()) {
            return HandleProblem::Unknown;
        }
        return alive_[decoded->index] ? HandleProblem::None : HandleProblem::Expired;
    }
    T* find(H handle) { return check(handle) == HandleProblem::None ? &slots_[indexOf(handle)] : nullptr; }
    const T* find(H handle) const {
        return check(handle) == HandleProblem::None ? &slots_[indexOf(handle)] : nullptr;
    }
    void remove(H handle) {
        if (check(handle) == HandleProblem::None) {
            alive_[indexOf(handle)] = false;
            slots_[indexOf(handle)] = T{};
        }
    }
    static std::uint32_t indexOf(H handle) { return decodeHandle(handle)->index; }
    static H handleAt(std::uint32_t index) { return encodeHandle<H>(Kind, index); }
    std::size_t size() const { return slots_.size(); }
    bool aliveAt(std::size_t index) const { return alive_[index]; }
    T& at(std::size_t index) { return slots_[index]; }
    const T& at(std::size_t index) const { return slots_[index]; }
    std::size_t liveCount() const {
        std::size_t n = 0;
        for (bool a : alive_) {
            n += a ? 1 : 0;
        }
        return n;
    }
    void clear() {
        slots_.clear();
        alive_.clear();
    }

private:
    std::vector<T> slots_;
    std::vector<bool> alive_;
};

}  // namespace simhost

#endif
