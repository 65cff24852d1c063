#include "OnvifAuth.h"

#include "OnvifXml.h"

#include <glib.h>

#include <vector>

std::string OnvifAuth::digest(const std::string& nonce, const std::string& created,
                              const std::string& password) {
    GChecksum* sum = g_checksum_new(G_CHECKSUM_SHA1);
    const std::string joined = nonce + created + password;
    g_checksum_update(sum, reinterpret_cast<const guchar*>(joined.data()),
                      static_cast<gssize>(joined.size()));
    std::vector<guint8> raw(20);
    gsize length = raw.size();
    g_checksum_get_digest(sum, raw.data(), &length);
    g_checksum_free(sum);
    gchar* b64 = g_base64_encode(raw.data(), length);
    std::string out(b64);
    g_free(b64);
    return out;
}

OnvifAuth::Result OnvifAuth::check(xmlNode* envelope, const std::string& user, const std::string& password) {
    xmlNode* token = OnvifXml::path(envelope, {"Header", "Security", "UsernameToken"});
    if (!token)
        return Missing;
    xmlNode* pwd = OnvifXml::child(token, "Password");
    const std::string type = OnvifXml::attribute(pwd, "Type");
    const std::string nonce64 = OnvifXml::text(OnvifXml::child(token, "Nonce"));
    const std::string created = OnvifXml::text(OnvifXml::child(token, "Created"));
    if (OnvifXml::text(OnvifXml::child(token, "Username")) != user || !pwd ||
        type.find("#PasswordDigest") == std::string::npos || nonce64.empty() || created.empty())
        return Refused;
    gsize nonceSize = 0;
    guchar* nonce = g_base64_decode(nonce64.c_str(), &nonceSize);
    const std::string nonceBytes(reinterpret_cast<const char*>(nonce), nonceSize);
    g_free(nonce);
    return nonceSize > 0 && OnvifXml::text(pwd) == digest(nonceBytes, created, password) ? Accepted : Refused;
}
