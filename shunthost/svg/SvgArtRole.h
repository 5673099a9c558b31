// Which SVG elements become art, and of which kind.
#ifndef SHUNTHOST_SVG_SVGARTROLE_H
#define SHUNTHOST_SVG_SVGARTROLE_H

#include <string_view>

namespace shunthost::svg {

enum class Role { NotArt, Group, Shape, Image, ForeignObject, Text };

// Whether the name is `literal`, compared letter by letter as far as the two
// agree: every element and attribute of a file is asked about, most names are
// told apart by their first letters, and measuring each first cost more.
inline bool nameIs(const char* name, std::string_view literal) {
    for (const char c : literal) {
        if (*name++ != c) {
            return false;
        }
    }
    return *name == 0;
}

inline Role roleOf(const char* name) {
    auto is = [name](std::string_view candidate) { return nameIs(name, candidate); };
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
