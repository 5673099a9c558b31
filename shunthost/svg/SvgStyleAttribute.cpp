#include "SvgStyleAttribute.h"

#include "SvgNumbers.h"

namespace shunthost::svg {

namespace {

struct Span {
    std::size_t begin;
    std::size_t end;
};

// Finds the end of a declaration: the next ';' outside parentheses and quotes.
std::size_t declarationEnd(std::string_view style, std::size_t pos) {
    int depth = 0;
    char quote = 0;
    for (; pos < style.size(); ++pos) {
        const char c = style[pos];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && depth > 0) {
            --depth;
        } else if (c == ';' && depth == 0) {
            break;
        }
    }
    return pos;
}

Span trimmedSpan(std::string_view text, Span span) {
    const std::string_view inner = trimmed(text.substr(span.begin, span.end - span.begin));
    if (inner.empty()) {
        return {span.begin, span.begin};
    }
    const auto begin = static_cast<std::size_t>(inner.data() - text.data());
    return {begin, begin + inner.size()};
}

template <class Visit>
void forEachSpan(std::string_view style, Visit visit) {
    std::size_t pos = 0;
    while (pos < style.size()) {
        const std::size_t end = declarationEnd(style, pos);
        const std::size_t colon = style.find(':', pos);
        if (colon != std::string_view::npos && colon < end) {
            visit(trimmedSpan(style, {pos, colon}), trimmedSpan(style, {colon + 1, end}));
        }
        pos = end + 1;
    }
}

std::string_view withoutImportant(std::string_view value) {
    const std::size_t bang = value.rfind('!');
    if (bang != std::string_view::npos && trimmed(value.substr(bang + 1)) == "important") {
        return trimmed(value.substr(0, bang));
    }
    return value;
}

}  // namespace

void forEachDeclaration(std::string_view style,
                        const std::function<void(std::string_view name, std::string_view value)>& visit) {
    forEachSpan(style, [&](Span name, Span value) {
        visit(style.substr(name.begin, name.end - name.begin),
              withoutImportant(style.substr(value.begin, value.end - value.begin)));
    });
}

void forEachDeclaration(
    std::string_view style,
    const std::function<void(std::string_view name, std::string_view value, bool important)>& visit) {
    forEachSpan(style, [&](Span name, Span value) {
        const std::string_view text = style.substr(value.begin, value.end - value.begin);
        const std::string_view plain = withoutImportant(text);
        visit(style.substr(name.begin, name.end - name.begin), plain, plain.size() != text.size());
    });
}

std::string appendDeclaration(std::string_view style, std::string_view name, std::string_view value) {
    std::string out(style);
    while (!out.empty() &&
           (out.back() == ' ' || out.back() == '\t' || out.back() == '\n' || out.back() == '\r')) {
        out.pop_back();
    }
    if (!out.empty() && out.back() != ';') {
        out += ';';
    }
    out += name;
    out += ':';
    out += value;
    return out;
}

std::optional<std::string> replaceDeclaration(std::string_view style, std::string_view name,
                                              std::string_view value) {
    std::optional<Span> found;
    forEachSpan(style, [&](Span nameSpan, Span valueSpan) {
        if (style.substr(nameSpan.begin, nameSpan.end - nameSpan.begin) == name) {
            found = valueSpan;
        }
    });
    if (!found) {
        return std::nullopt;
    }
    std::string out(style.substr(0, found->begin));
    out += value;
    out += style.substr(found->end);
    return out;
}

}  // namespace shunthost::svg
