#include "SvgDtdEntities.h"

#include <libxml/entities.h>
#include <libxml/hash.h>
#include <libxml/parser.h>

#include <memory>
#include <mutex>
#include <string>

namespace shunthost::svg {

namespace {

// Nothing outside the file is fetched: no network, and no file either,
// whatever a declaration names.
xmlParserInputPtr refuseExternal(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

struct FreeDocument {
    void operator()(xmlDocPtr document) const { xmlFreeDoc(document); }
};

}  // namespace

XmlEntities internalEntities(std::string_view doctype) {
    XmlEntities entities;
    if (doctype.find("<!ENTITY") == std::string_view::npos) {
        return entities;
    }
    static std::once_flag loaderSet;
    std::call_once(loaderSet, [] { xmlSetExternalEntityLoader(refuseExternal); });
    // The doctype alone, with an empty root: libxml2 parses the declarations,
    // resolves parameter entities and character references, and keeps its own
    // limits on what entities may amount to.
    const std::string text = "<!DOCTYPE " + std::string(doctype) + "><_/>";
    const std::unique_ptr<xmlDoc, FreeDocument> document(
        xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8",
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!document || document->intSubset == nullptr) {
        throw XmlTextError("malformed entity declarations in the doctype");
    }
    if (document->intSubset->entities == nullptr) {
        return entities;
    }
    xmlHashScan(
        static_cast<xmlHashTablePtr>(document->intSubset->entities),
        [](void* payload, void* into, const xmlChar* name) {
            const auto* entity = static_cast<const xmlEntity*>(payload);
            if (entity->etype == XML_INTERNAL_GENERAL_ENTITY && entity->content != nullptr) {
                static_cast<XmlEntities*>(into)->emplace(reinterpret_cast<const char*>(name),
                                                         reinterpret_cast<const char*>(entity->content));
            }
        },
        &entities);
    return entities;
}

}  // namespace shunthost::svg
