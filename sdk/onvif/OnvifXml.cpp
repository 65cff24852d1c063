#include "OnvifXml.h"

#include <libxml/parser.h>

#include <cstring>

namespace pcq {

namespace {

bool named(const xmlNode* node, const char* localName) {
    return node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), localName) == 0;
}

void collect(xmlNode* node, const char* localName, std::vector<xmlNode*>* out, bool firstOnly) {
    for (xmlNode* n = node; n; n = n->next) {
        if (named(n, localName)) {
            out->push_back(n);
            if (firstOnly)
                return;
        }
        collect(n->children, localName, out, firstOnly);
        if (firstOnly && !out->empty())
            return;
    }
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

OnvifXml::OnvifXml(const std::string& text) {
    if (text.empty() || text.size() > 4u * 1024u * 1024u)
        return;
    m_doc.reset(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

xmlNode* OnvifXml::find(const char* localName) const {
    return m_doc ? find(localName, reinterpret_cast<xmlNode*>(m_doc.get())) : nullptr;
}

xmlNode* OnvifXml::find(const char* localName, xmlNode* from) const {
    std::vector<xmlNode*> out;
    if (from)
        collect(from->children, localName, &out, true);
    return out.empty() ? nullptr : out.front();
}

std::vector<xmlNode*> OnvifXml::findAll(const char* localName) const {
    return m_doc ? findAll(localName, reinterpret_cast<xmlNode*>(m_doc.get())) : std::vector<xmlNode*>();
}

std::vector<xmlNode*> OnvifXml::findAll(const char* localName, xmlNode* from) const {
    std::vector<xmlNode*> out;
    if (from)
        collect(from->children, localName, &out, false);
    return out;
}

std::string OnvifXml::text(const xmlNode* node) {
    if (!node)
        return std::string();
    xmlChar* content = xmlNodeGetContent(node);
    std::string out = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return trimmed(out);
}

std::string OnvifXml::attribute(const xmlNode* node, const char* name) {
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

} // namespace pcq
