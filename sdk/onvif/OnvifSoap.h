#pragma once

#include "OnvifXml.h"

#include <string>

namespace pcq {

// The user and password a camera is asked with; the user name defaults to "admin".
struct OnvifCredentials {
    std::string user = "admin";
    std::string password;
};

// One SOAP 1.2 request over HTTP (libcurl), signed with a WS-UsernameToken PasswordDigest.
class OnvifSoap {
public:
    // Posts body inside a signed envelope to url and parses the answer into reply. Returns PCQ_OK;
    // PCQ_ERR_FAILED when the camera refuses the user or password (the same failure as a wrong access
    // password on our own cameras); PCQ_ERR_NO_SERVICE when nothing answers; PCQ_ERR_TIMEOUT;
    // PCQ_ERR_PROTOCOL for any other fault or an answer that is not XML. Every failure logs one line.
    static int call(const std::string& url, const OnvifCredentials& credentials, const std::string& body,
                    OnvifXml* reply, int timeoutMs);

    // The envelope around body, with a fresh nonce and the current time in its security header.
    static std::string envelope(const OnvifCredentials& credentials, const std::string& body);
    // Base64(SHA-1(nonce + created + password)), nonce as raw bytes.
    static std::string passwordDigest(const std::string& nonce, const std::string& created,
                                      const std::string& password);
    static std::string base64(const std::string& bytes);
};

} // namespace pcq
