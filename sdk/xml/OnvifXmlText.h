#pragma once

#include <libxml/tree.h>

#include <string>

// The text-level pieces of SOAP handling that the client's ONVIF backend and the simulated ONVIF cameras
// share: an element's text, an attribute's value, and escaping for what we write.
class OnvifXmlText {
public:
    // The element's whole text content, trimmed of surrounding white space; empty for null.
    static std::string text(const xmlNode* node);
    // The attribute's value; empty when node is null or has no such attribute.
    static std::string attribute(const xmlNode* node, const char* name);
    // Text made safe to place between tags or inside a quoted attribute.
    static std::string escape(const std::string& text);
};
