// Which SVG elements become art, and of which kind.
#ifndef SHUNTHOST_SVG_SVGARTROLE_H
#define SHUNTHOST_SVG_SVGARTROLE_H

#include <string_view>

namespace shunthost::svg {

enum class Role { NotArt, Group, Shape, Image, ForeignObject, Text };

inline Role roleOf(const char* name) {
    // Compared letter by letter where they stand: every element of a file is
    // asked about, and a call to strcmp for each cost more than the rest.
    auto is = [name](std::string_view candidate) {
        const char* at = name;
        for (const char c : candidate) {
            if (*at++ != c) {
                return false;
            }
        }
        return *at == 0;
    };
    switch (name[0]) {
        case 'g':
            return name[1] == 0 ? Role::Group : Role::NotArt;
        case 'a':
            return name[1] == 0 ? Role::Group : Role::NotArt;
        case 's':
            return is("svg") || is("switch") ? Role::Group : Role::NotArt;
        case 'p':
            return is("path") || is("polyline") || is("polygon") ? Role::Shape : Role::NotArt;
        case 'r':
            return is("rect") ? Role::Shape : Role::NotArt;
        case 'c':
            return is("circle") ? Role::Shape : Role::NotArt;
        case 'e':
            return is("ellipse") ? Role::Shape : Role::NotArt;
        case 'l':
            return is("line") ? Role::Shape : Role::NotArt;
        case 'i':
            return is("image") ? Role::Image : Role::NotArt;
        case 'f':
            return is("foreignObject") ? Role::ForeignObject : Role::NotArt;
        case 't':
            return is("text") ? Role::Text : Role::NotArt;
        default:
            return Role::NotArt;
    }
}

}  // namespace shunthost::svg

#endif
