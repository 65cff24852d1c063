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

std::string OnvifXml::text(xmlNode* node) {
    if (!node)
        return std::string();
    xmlChar* content = xmlNodeGetContent(node);
    std::string out = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    const auto first = out.find_first_not_of(" \t\r\n");
    const auto last = out.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : out.substr(first, last - first + 1);
}

std::string OnvifXml::attribute(xmlNode* node, const char* name) {
    if (!node)
        return std::string();
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string out = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return out;
}

std::string OnvifXml::escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}
