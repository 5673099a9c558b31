// The plug-in's string utilities on buffers of exactly the size their
// contracts ask for, so that AddressSanitizer sees any byte written or read
// past them; each result is checked against the contract.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "stringUtils.h"

namespace {

void require(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

// A heap copy of `text` and its terminator, exactly that long.
std::vector<char> cString(const std::string& text) {
    std::vector<char> out(text.begin(), text.end());
    out.push_back('\0');
    return out;
}

// A length-prefixed string in a buffer of exactly `size` bytes (at least
// length + 1).
std::vector<unsigned char> pString(const std::string& text, std::size_t size) {
    std::vector<unsigned char> out(size, 0xEE);
    out[0] = static_cast<unsigned char>(text.size());
    std::memcpy(out.data() + 1, text.data(), text.size());
    return out;
}

std::string textOf(FuzzedDataProvider& in, std::size_t most) {
    std::string text = in.ConsumeRandomLengthString(most);
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0: {  // SUctopstr, then SUptocstr gives the text back
            const std::string text = textOf(in, 300);
            std::vector<char> buffer = cString(text);
            unsigned char* p = SUctopstr(buffer.data());
            if (text.size() > 255) {
                require(p == nullptr && std::string(buffer.data()) == text);
            } else {
                require(p == reinterpret_cast<unsigned char*>(buffer.data()) && p[0] == text.size());
                require(std::string(SUptocstr(p)) == text);
            }
            break;
        }
        case 1: {  // SUstrlen
            const std::string text = textOf(in, 400);
            require(SUstrlen(cString(text).data()) == text.size());
            break;
        }
        case 2: {  // SUsafestrncpy into exactly `room` bytes
            const auto room = in.ConsumeIntegralInRange<std::uint32_t>(1, 300);
            const std::string text = textOf(in, 400);
            std::vector<char> destination(room, 'x');
            SUsafestrncpy(destination.data(), cString(text).data(), room);
            const std::string copied(destination.data());
            require(copied.size() <= room - 1 && text.compare(0, copied.size(), copied) == 0);
            require(copied.size() == std::min<std::size_t>(text.size(), room - 1));
            break;
        }
        case 3: {  // SUsafestrncat into exactly `room` bytes
            const auto room = in.ConsumeIntegralInRange<std::uint32_t>(1, 300);
            std::string start = textOf(in, room - 1);
            const std::string tail = textOf(in, 400);
            std::vector<char> destination(room, 'x');
            std::memcpy(destination.data(), start.c_str(), start.size() + 1);
            const char* appended = SUsafestrncat(destination.data(), cString(tail).data(), room);
            const std::string joined(destination.data());
            require(appended == destination.data() + start.size());
            require(joined.size() <= room - 1 && joined.compare(0, start.size(), start) == 0);
            break;
        }
        case 4: {  // SUstrncat into a buffer just long enough
            const std::string start = textOf(in, 200);
            const std::string tail = textOf(in, 200);
            const auto count = in.ConsumeIntegralInRange<std::uint32_t>(0, 250);
            const std::size_t added = std::min<std::size_t>(count, tail.size());
            std::vector<char> destination(start.size() + added + 1, 'x');
            std::memcpy(destination.data(), start.c_str(), start.size() + 1);
            std::vector<char> source = cString(tail);
            require(SUstrncat(destination.data(), source.data(), count) == destination.data());
            require(std::string(destination.data()) == start + tail.substr(0, added));
            break;
        }
        case 5: {  // SUmemmove within one buffer, overlapping either way
            std::string bytes = in.ConsumeRandomLengthString(300);
            if (bytes.empty()) {
                break;
            }
            const auto from = in.ConsumeIntegralInRange<std::size_t>(0, bytes.size() - 1);
            const auto to = in.ConsumeIntegralInRange<std::size_t>(0, bytes.size() - 1);
            const auto count = in.ConsumeIntegralInRange<std::size_t>(0, bytes.size() - std::max(from, to));
            std::vector<char> buffer(bytes.begin(), bytes.end());
            std::string expected = bytes;
            std::memmove(expected.data() + to, expected.data() + from, count);
            SUmemmove(buffer.data() + to, buffer.data() + from, static_cast<std::uint32_t>(count));
            require(std::string(buffer.begin(), buffer.end()) == expected);
            break;
        }
        case 6: {  // SUpstrcpy into exactly length + 1 bytes
            const std::string text = textOf(in, 255);
            const std::vector<unsigned char> source = pString(text, text.size() + 1);
            std::vector<unsigned char> destination(text.size() + 1, 0xEE);
            SUpstrcpy(destination.data(), source.data());
            require(destination == source);
            break;
        }
        case 7:  // SUpstrcat and SUpstrinsert on full-size buffers
        case 8: {
            const bool insert = in.ConsumeBool();
            const std::string a = textOf(in, 255);
            const std::string b = textOf(in, 255);
            std::vector<unsigned char> destination = pString(a, 256);
            const std::vector<unsigned char> source = pString(b, b.size() + 1);
            if (insert) {
                SUpstrinsert(destination.data(), source.data());
            } else {
                SUpstrcat(destination.data(), source.data());
            }
            const std::string result(reinterpret_cast<const char*>(destination.data()) + 1, destination[0]);
            const std::string whole = insert ? b + a : a + b;
            require(result == whole.substr(0, 255));
            break;
        }
        case 9: {  // SUpasToPostscriptStr: output of 4 * length + 3 bytes; input given back
            const std::string text = textOf(in, 255);
            std::vector<unsigned char> input = pString(text, text.size() + 1);
            std::vector<unsigned char> output(4 * text.size() + 3, 0xEE);
            SUpasToPostscriptStr(output.data(), input.data());
            require(input == pString(text, text.size() + 1));
            break;
        }
    }
    return 0;
}
