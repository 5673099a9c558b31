#include "SvgDocumentIds.h"

#include <algorithm>

namespace shunthost::svg {

void DocumentIds::setRead(std::vector<std::uint64_t> hashes) {
    read_ = std::move(hashes);
    slots_.clear();
    used_ = 0;
}

void DocumentIds::countRead() {
    if (read_.empty()) {
        return;
    }
    std::size_t size = std::max<std::size_t>(slots_.size(), 16);
    while ((used_ + read_.size() + 1) * 3 > size * 2) {
        size *= 2;
    }
    rehash(size);
    for (const std::uint64_t hash : read_) {
        add(hash);
    }
    read_ = {};
}

void DocumentIds::add(std::string_view id) {
    countRead();
    add(hashOf(id));
}

void DocumentIds::add(std::uint64_t hash) {
    if ((used_ + 1) * 3 > slots_.size() * 2) {
        rehash(std::max<std::size_t>(slots_.size() * 2, 16));
    }
    for (std::size_t slot = hash & mask();; slot = (slot + 1) & mask()) {
        Slot& s = slots_[slot];
        if (s.hash == hash) {
            ++s.count;
            return;
        }
        if (s.hash == 0) {
            s = {hash, 1};
            ++used_;
            return;
        }
    }
}

void DocumentIds::remove(std::string_view id) {
    countRead();
    if (slots_.empty()) {
        return;
    }
    const std::uint64_t hash = hashOf(id);
    for (std::size_t slot = hash & mask(); slots_[slot].hash != 0; slot = (slot + 1) & mask()) {
        if (slots_[slot].hash == hash) {
            if (slots_[slot].count > 0) {
                --slots_[slot].count;
            }
            return;
        }
    }
}

bool DocumentIds::mayHave(std::string_view id) {
    countRead();
    if (slots_.empty()) {
        return false;
    }
    const std::uint64_t hash = hashOf(id);
    for (std::size_t slot = hash & mask(); slots_[slot].hash != 0; slot = (slot + 1) & mask()) {
        if (slots_[slot].hash == hash) {
            return slots_[slot].count > 0;
        }
    }
    return false;
}

void DocumentIds::rehash(std::size_t size) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(size, Slot{});
    used_ = 0;
    for (const Slot& s : old) {
        if (s.count == 0) {
            continue;  // gone
        }
        std::size_t slot = s.hash & mask();
        while (slots_[slot].hash != 0) {
            slot = (slot + 1) & mask();
        }
        slots_[slot] = s;
        ++used_;
    }
}

}  // namespace shunthost::svg
