#include "OnvifXmlText.h"

namespace {

// libxml2 hands out strings it allocated; this copies one and frees it.
std::string taken(xmlChar* value) {
    std::string out = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return out;
}

} // namespace

std::string OnvifXmlText::text(const xmlNode* node) {
    if (!node)
        return std::string();
    const std::string out = taken(xmlNodeGetContent(node));
    const auto first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
}

std::string OnvifXmlText::attribute(const xmlNode* node, const char* name) {
    if (!node)
        return std::string();
    return taken(xmlGetProp(node, reinterpret_cast<const xmlChar*>(name)));
}

std::string OnvifXmlText::escape(const std::string& text) {
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
