// A plug-in's resources, read from the text files in its bundle's Resources
// folder. The format is documented in docs/resources.md.
#ifndef SIMHOST_RESOURCES_H
#define SIMHOST_RESOURCES_H

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "hostapi/ASTypes.h"

namespace simhost {

struct ItemResource {
    ADMInt32 id = 0;
    std::string kind;  // button, picture-button, default-button, cancel-button, text, popup, ...
    ADMRect bounds{};
    std::string text;
};

struct DialogResource {
    ADMInt32 id = 0;
    std::string name;
    ADMRect bounds{};
    std::vector<ItemResource> items;
};

struct PictureResource {
    ADMInt32 id = 0;
    std::string name;
    std::string file;  // relative to the Resources folder
};

struct PluginResources {
    std::string folder;
    std::map<ADMInt32, DialogResource> dialogs;
    std::map<ADMInt32, std::vector<std::string>> stringLists;
    std::map<ADMInt32, std::vector<std::string>> menus;
    std::map<std::pair<ADMInt32, std::string>, PictureResource> pictures;
};

// A resource file that cannot be read: "FILE:LINE: message".
class ResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads every *.rsrc file of the folder. A missing folder gives no resources.
PluginResources readResources(const std::string& folder);
// Reads one resource file's text; `origin` names it in errors.
void parseResources(const std::string& text, const std::string& origin, PluginResources& into);

}  // namespace simhost

#endif
