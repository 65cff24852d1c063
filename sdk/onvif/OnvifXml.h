#pragma once

#include "OnvifXmlText.h"

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

namespace pcq {

// A parsed SOAP or WS-Discovery message. Elements are found by local name only: cameras disagree on
// prefixes and sometimes on namespace versions, and the names we read are unambiguous.
class OnvifXml {
public:
    OnvifXml() = default;
    // Parses without touching the network and without printing libxml2's own errors; ok() tells.
    explicit OnvifXml(const std::string& text);

    bool ok() const { return m_doc != nullptr; }
    // The first element named localName in the document, depth first; the first below from (none when from
    // is null, so that a missing parent never finds a namesake elsewhere).
    xmlNode* find(const char* localName) const;
    xmlNode* find(const char* localName, xmlNode* from) const;
    std::vector<xmlNode*> findAll(const char* localName) const;
    std::vector<xmlNode*> findAll(const char* localName, xmlNode* from) const;
    // The trimmed text of the first such element; empty when there is none.
    std::string textOf(const char* localName) const { return text(find(localName)); }
    std::string textOf(const char* localName, xmlNode* from) const { return text(find(localName, from)); }

    static std::string text(const xmlNode* node) { return OnvifXmlText::text(node); }
    static std::string attribute(const xmlNode* node, const char* name) {
        return OnvifXmlText::attribute(node, name);
    }
    // Escapes a text for an XML element or attribute.
    static std::string escape(const std::string& text) { return OnvifXmlText::escape(text); }

private:
    struct Free {
        void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
    };
    std::unique_ptr<xmlDoc, Free> m_doc;
};

} // namespace pcq
