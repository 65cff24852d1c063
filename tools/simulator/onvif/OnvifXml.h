#pragma once

#include "OnvifXmlText.h"

#include <libxml/tree.h>

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>

// Reading SOAP messages with libxml2: elements are found by local name in any namespace, as senders
// pick their own prefixes.
class OnvifXml {
public:
    struct DocFree {
        void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    };
    using Doc = std::unique_ptr<xmlDoc, DocFree>;

    // Null when the bytes are not well-formed XML. Never fetches anything from the network.
    static Doc parse(const char* data, std::size_t size);
    static xmlNode* firstElement(xmlNode* parent);
    // The first element child of parent with that local name, or null.
    static xmlNode* child(xmlNode* parent, const char* localName);
    // Walks down one child per name; null when a step is missing.
    static xmlNode* path(xmlNode* from, std::initializer_list<const char*> names);
    static std::string text(xmlNode* node) { return OnvifXmlText::text(node); }
    static std::string attribute(xmlNode* node, const char* name) {
        return OnvifXmlText::attribute(node, name);
    }
    static bool named(xmlNode* node, const char* localName);
    // Text made safe to place between tags or inside a quoted attribute.
    static std::string escape(const std::string& text) { return OnvifXmlText::escape(text); }
};
