#include "simhost/Resources.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace simhost {

namespace {

// Splits a line into words; double quotes group words and are removed, a
// backslash inside quotes takes the next character literally.
std::vector<std::string> splitWords(const std::string& line, const std::string& where) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size()) {
                word += line[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == '#' && !inWord) {
            break;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        throw ResourceError(where + ": unterminated quote");
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

ADMInt32 parseInt(const std::string& text, const std::string& where) {
    ADMInt32 value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) {
        throw ResourceError(where + ": \"" + text + "\" is not a whole number");
    }
    return value;
}

ADMRect parseRect(const std::string& text, const std::string& where) {
    std::vector<ASInt16> values;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        const ADMInt32 v = parseInt(part, where);
        if (v < -32768 || v > 32767) {
            throw ResourceError(where + ": " + part + " does not fit a 16-bit coordinate");
        }
        values.push_back(static_cast<ASInt16>(v));
    }
    if (values.size() != 4) {
        throw ResourceError(where + ": bounds need four numbers top,left,bottom,right");
    }
    return {values[0], values[1], values[2], values[3]};
}

// key=value words after the positional ones.
std::map<std::string, std::string> options(const std::vector<std::string>& words, std::size_t from,
                                           const std::string& where) {
    std::map<std::string, std::string> out;
    for (std::size_t i = from; i < words.size(); ++i) {
        const auto eq = words[i].find('=');
        if (eq == std::string::npos) {
            throw ResourceError(where + ": expected key=value, found \"" + words[i] + "\"");
        }
        out[words[i].substr(0, eq)] = words[i].substr(eq + 1);
    }
    return out;
}

}  // namespace

void parseResources(const std::string& text, const std::string& origin, PluginResources& into) {
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    DialogResource* dialog = nullptr;
    std::vector<std::string>* strings = nullptr;
    std::vector<std::string>* menu = nullptr;
    while (std::getline(in, line)) {
        ++lineNumber;
        const std::string where = origin + ":" + std::to_string(lineNumber);
        const auto words = splitWords(line, where);
        if (words.empty()) {
            continue;
        }
        const std::string& keyword = words[0];
        auto need = [&](std::size_t n, const char* shape) {
            if (words.size() < n) {
                throw ResourceError(where + ": expected " + shape);
            }
        };
        if (keyword == "dialog") {
            need(3, "dialog ID NAME [bounds=T,L,B,R]");
            DialogResource resource;
            resource.id = parseInt(words[1], where);
            resource.name = words[2];
            const auto opts = options(words, 3, where);
            if (auto b = opts.find("bounds"); b != opts.end()) {
                resource.bounds = parseRect(b->second, where);
            }
            dialog = &(into.dialogs[resource.id] = resource);
            strings = nullptr;
            menu = nullptr;
        } else if (keyword == "item") {
            need(3, "item ID KIND [bounds=T,L,B,R] [text=TEXT]");
            if (dialog == nullptr) {
                throw ResourceError(where + ": item outside a dialog");
            }
            ItemResource item;
            item.id = parseInt(words[1], where);
            item.kind = words[2];
            const auto opts = options(words, 3, where);
            if (auto b = opts.find("bounds"); b != opts.end()) {
                item.bounds = parseRect(b->second, where);
            }
            if (auto t = opts.find("text"); t != opts.end()) {
                item.text = t->second;
            }
            dialog->items.push_back(item);
        } else if (keyword == "stringlist") {
            need(2, "stringlist ID");
            strings = &into.stringLists[parseInt(words[1], where)];
            dialog = nullptr;
            menu = nullptr;
        } else if (keyword == "string") {
            need(2, "string TEXT...");
            if (strings == nullptr) {
                throw ResourceError(where + ": string outside a string list");
            }
            strings->insert(strings->end(), words.begin() + 1, words.end());
        } else if (keyword == "menu") {
            need(2, "menu ID");
            menu = &into.menus[parseInt(words[1], where)];
            dialog = nullptr;
            strings = nullptr;
        } else if (keyword == "entry") {
            need(2, "entry TEXT");
            if (menu == nullptr) {
                throw ResourceError(where + ": entry outside a menu");
            }
            menu->push_back(words[1]);
        } else if (keyword == "picture") {
            need(4, "picture ID NAME file=FILE");
            PictureResource picture;
            picture.id = parseInt(words[1], where);
            picture.name = words[2];
            const auto opts = options(words, 3, where);
            auto file = opts.find("file");
            if (file == opts.end()) {
                throw ResourceError(where + ": a picture needs file=FILE");
            }
            picture.file = file->second;
            into.pictures[{picture.id, picture.name}] = picture;
            dialog = nullptr;
            strings = nullptr;
            menu = nullptr;
        } else {
            throw ResourceError(where + ": unknown resource keyword \"" + keyword + "\"");
        }
    }
}

PluginResources readResources(const std::string& folder) {
    namespace fs = std::filesystem;
    PluginResources resources;
    resources.folder = folder;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        return resources;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file() && entry.path().extension() == ".rsrc") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        parseResources(text.str(), file.string(), resources);
    }
    return resources;
}

}  // namespace simhost
