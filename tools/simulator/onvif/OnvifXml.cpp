#include "OnvifXml.h"

#include <libxml/parser.h>

#include <cstring>

OnvifXml::Doc OnvifXml::parse(const char* data, std::size_t size) {
    if (!data || size == 0 || size > 1024 * 1024)
        return Doc();
    return Doc(xmlReadMemory(data, static_cast<int>(size), "request.xml", nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS));
}

bool OnvifXml::named(xmlNode* node, const char* localName) {
    return node && node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), localName) == 0;
}

xmlNode* OnvifXml::firstElement(xmlNode* parent) {
    for (xmlNode* n = parent ? parent->children : nullptr; n; n = n->next)
        if (n->type == XML_ELEMENT_NODE)
            return n;
    return nullptr;
}

xmlNode* OnvifXml::child(xmlNode* parent, const char* localName) {
    for (xmlNode* n = parent ? parent->children : nullptr; n; n = n->next)
        if (named(n, localName))
            return n;
    return nullptr;
}

xmlNode* OnvifXml::path(xmlNode* from, std::initializer_list<const char*> names) {
    for (const char* name : names)
        from = child(from, name);
    return from;
}
