#include "SvgImageSize.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "SvgNumbers.h"

namespace shunthost::svg {

namespace {

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::optional<ViewportSize> sized(double width, double height) {
    if (!(width > 0) || !(height > 0)) {
        return std::nullopt;
    }
    return ViewportSize{width, height};
}

std::optional<ViewportSize> pngSize(std::string_view bytes) {
    // The signature, then the IHDR chunk: length, type, width, height.
    if (bytes.size() < 24 || bytes.substr(12, 4) != "IHDR") {
        return std::nullopt;
    }
    return sized(bigEndian(bytes, 16, 4), bigEndian(bytes, 20, 4));
}

std::optional<ViewportSize> gifSize(std::string_view bytes) {
    if (bytes.size() < 10) {
        return std::nullopt;
    }
    auto little = [&](std::size_t at) {
        return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    return sized(little(6), little(8));
}

// The frame header (SOF0 to SOF15 but DHT, JPG and DAC) holds the size.
std::optional<ViewportSize> jpegSize(std::string_view bytes) {
    std::size_t pos = 2;
    while (pos + 4 <= bytes.size()) {
        if (static_cast<unsigned char>(bytes[pos]) != 0xFF) {
            return std::nullopt;
        }
        const auto marker = static_cast<unsigned char>(bytes[pos + 1]);
        if (marker == 0xFF) {
            ++pos;  // fill byte
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;  // markers without a length
            continue;
        }
        const std::uint32_t length = bigEndian(bytes, pos + 2, 2);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (pos + 9 > bytes.size()) {
                return std::nullopt;
            }
            return sized(bigEndian(bytes, pos + 7, 2), bigEndian(bytes, pos + 5, 2));
        }
        if (marker == 0xD9 || marker == 0xDA || length < 2) {
            return std::nullopt;  // the image data starts, or the end: no frame header before it
        }
        pos += 2 + length;
    }
    return std::nullopt;
}

// The root element's start tag, skipping the prolog: the declaration,
// comments, processing instructions and a doctype.
std::optional<std::string_view> rootStartTag(std::string_view text) {
    std::size_t pos = 0;
    while (true) {
        pos = text.find('<', pos);
        if (pos == std::string_view::npos || pos + 1 >= text.size()) {
            return std::nullopt;
        }
        if (text.substr(pos, 4) == "<!--") {
            pos = text.find("-->", pos);
        } else if (text[pos + 1] == '?') {
            pos = text.find("?>", pos);
        } else if (text[pos + 1] == '!') {
            // A doctype, perhaps with an internal subset in brackets.
            const std::size_t bracket = text.find('[', pos);
            const std::size_t close = text.find('>', pos);
            pos = bracket < close ? text.find("]", bracket) : close;
        } else {
            break;
        }
        if (pos == std::string_view::npos) {
            return std::nullopt;
        }
        ++pos;
    }
    char quote = 0;
    for (std::size_t end = pos + 1; end < text.size(); ++end) {
        const char c = text[end];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return text.substr(pos, end + 1 - pos);
        }
    }
    return std::nullopt;
}

std::optional<ViewportSize> svgSize(std::string_view bytes) {
    const auto tag = rootStartTag(bytes);
    if (!tag) {
        return std::nullopt;
    }
    std::string element(*tag);
    if (!element.ends_with("/>")) {
        element.insert(element.size() - 1, "/");
    }
    pugi::xml_document document;
    if (!document.load_buffer(element.data(), element.size(), pugi::parse_minimal)) {
        return std::nullopt;
    }
    const pugi::xml_node root = document.document_element();
    const std::string_view name = root.name();
    if (name != "svg" && !name.ends_with(":svg")) {
        return std::nullopt;
    }
    // Width and height that are absolute lengths give the size; a viewBox
    // gives it in its own units otherwise, as editors take it.
    const auto width = parseLength(root.attribute("width").value());
    const auto height = parseLength(root.attribute("height").value());
    if (width && height) {
        return sized(*width, *height);
    }
    const auto box = parseNumberList(root.attribute("viewBox").value());
    if (box && box->size() == 4) {
        return sized((*box)[2], (*box)[3]);
    }
    return std::nullopt;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(std::string_view text, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && out.size() < limit; ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

int base64Digit(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+' || c == '-')
        return 62;
    if (c == '/' || c == '_')
        return 63;
    return -1;
}

// White space inside the data is skipped, as browsers skip it.
std::string base64Decoded(std::string_view text, std::size_t limit) {
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const int digit = base64Digit(c);
        if (digit < 0) {
            if (c == '=') {
                break;
            }
            continue;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(digit);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
            if (out.size() >= limit) {
                break;
            }
        }
    }
    return out;
}

// The first bytes of a regular file; nothing for anything else (a folder, a
// FIFO, a device), which is never waited on.
std::optional<std::string> fileStart(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    std::optional<std::string> bytes;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        std::string buffer(kImageHeaderBytes, '\0');
        std::size_t got = 0;
        while (got < buffer.size()) {
            const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        buffer.resize(got);
        bytes = std::move(buffer);
    }
    ::close(fd);
    return bytes;
}

}  // namespace

std::optional<ViewportSize> naturalSizeOf(std::string_view bytes) {
    if (bytes.starts_with("\x89PNG\r\n\x1a\n")) {
        return pngSize(bytes);
    }
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) {
        return gifSize(bytes);
    }
    if (bytes.starts_with("\xFF\xD8")) {
        return jpegSize(bytes);
    }
    return svgSize(bytes);
}

std::optional<ViewportSize> naturalImageSize(std::string_view href, const std::filesystem::path* folder) {
    href = trimmed(href);
    if (href.starts_with("data:")) {
        const std::size_t comma = href.find(',');
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view header = href.substr(5, comma - 5);
        const std::string_view data = href.substr(comma + 1);
        const bool base64 = header.ends_with(";base64");
        return naturalSizeOf(base64 ? base64Decoded(data, kImageHeaderBytes)
                                    : percentDecoded(data, kImageHeaderBytes));
    }
    std::string_view location = href;
    if (location.starts_with("file://")) {
        location.remove_prefix(7);
        if (!location.starts_with('/')) {
            return std::nullopt;  // a file on another host
        }
    } else {
        const std::size_t colon = location.find(':');
        const std::size_t slash = location.find('/');
        if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
            return std::nullopt;  // another scheme: nothing is fetched
        }
    }
    if (location.empty() || location.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::filesystem::path path(percentDecoded(location, 4096));
    if (path.is_relative() && folder == nullptr) {
        return std::nullopt;
    }
    const auto bytes = fileStart(path.is_relative() ? *folder / path : path);
    if (!bytes) {
        return std::nullopt;
    }
    return naturalSizeOf(*bytes);
}

}  // namespace shunthost::svg
