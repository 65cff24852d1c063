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

} // namespace pcq
