#pragma once

#include <libxml/tree.h>

#include <string>

// WS-Security UsernameToken with a password digest, as ONVIF devices check it:
// PasswordDigest = Base64(SHA1(nonce bytes + Created + password)). Plain-text passwords are refused.
class OnvifAuth {
public:
    enum Result { Accepted, Missing, Refused };

    static Result check(xmlNode* envelope, const std::string& user, const std::string& password);
    // nonce is the raw bytes (not Base64).
    static std::string digest(const std::string& nonce, const std::string& created,
                              const std::string& password);
};
