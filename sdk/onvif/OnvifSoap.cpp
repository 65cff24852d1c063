#include "OnvifSoap.h"

#include "pcQuorvane.h"

#include <curl/curl.h>
#include <openssl/evp.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <random>

namespace pcq {

namespace {

constexpr std::size_t kMaxAnswerBytes = 1024u * 1024u;

struct CurlFree {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistFree {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* out = static_cast<std::string*>(user);
    const std::size_t n = size * count;
    if (out->size() + n > kMaxAnswerBytes)
        return 0; // aborts the transfer: no camera answers a megabyte
    out->append(data, n);
    return n;
}

std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

std::string randomBytes(std::size_t n) {
    static std::mutex mutex;
    static std::mt19937_64 engine{std::random_device{}()};
    std::lock_guard<std::mutex> lock(mutex);
    std::string out(n, '\0');
    for (auto& c : out)
        c = static_cast<char>(engine() & 0xFF);
    return out;
}

} // namespace

std::string OnvifSoap::base64(const std::string& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&out[0]),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string OnvifSoap::passwordDigest(const std::string& nonce, const std::string& created,
                                      const std::string& password) {
    const std::string text = nonce + created + password;
    unsigned char sha[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(text.data(), text.size(), sha, &length, EVP_sha1(), nullptr))
        return std::string();
    return base64(std::string(reinterpret_cast<const char*>(sha), length));
}

std::string OnvifSoap::envelope(const OnvifCredentials& credentials, const std::string& body) {
    const std::string nonce = randomBytes(16);
    const std::string created = utcNow();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\">"
           "<s:Header>"
           "<Security s:mustUnderstand=\"1\" xmlns=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-wssecurity-secext-1.0.xsd\">"
           "<UsernameToken>"
           "<Username>" +
           OnvifXml::escape(credentials.user) +
           "</Username>"
           "<Password Type=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-username-token-profile-1.0#PasswordDigest\">" +
           passwordDigest(nonce, created, credentials.password) +
           "</Password>"
           "<Nonce EncodingType=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-soap-message-security-1.0#Base64Binary\">" +
           base64(nonce) +
           "</Nonce>"
           "<Created xmlns=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-wssecurity-utility-1.0.xsd\">" +
           created +
           "</Created>"
           "</UsernameToken>"
           "</Security>"
           "</s:Header>"
           "<s:Body>" +
           body + "</s:Body></s:Envelope>";
}

int OnvifSoap::call(const std::string& url, const OnvifCredentials& credentials, const std::string& body,
                    OnvifXml* reply, int timeoutMs) {
    static std::once_flag init;
    std::call_once(init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (url.compare(0, 7, "http://") != 0 && url.compare(0, 8, "https://") != 0) {
        std::fprintf(stderr, "pcQuorvane: ONVIF service address \"%s\" refused (http or https only)\n",
                     url.c_str());
        return PCQ_ERR_ARGUMENT;
    }
    std::unique_ptr<CURL, CurlFree> curl(curl_easy_init());
    if (!curl)
        return PCQ_ERR_NO_SERVICE;
    std::unique_ptr<curl_slist, SlistFree> headers(
        curl_slist_append(nullptr, "Content-Type: application/soap+xml; charset=utf-8"));
    const std::string request = envelope(credentials, body);
    std::string answer;
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROXY, ""); // cameras are on the LAN: never through the user's proxy
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs));
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.c_str());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.size()));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &answer);
    const CURLcode rc = curl_easy_perform(c);
    if (rc != CURLE_OK) {
        std::fprintf(stderr, "pcQuorvane: ONVIF request to %s failed: %s\n", url.c_str(),
                     curl_easy_strerror(rc));
        if (rc == CURLE_OPERATION_TIMEDOUT)
            return PCQ_ERR_TIMEOUT;
        return rc == CURLE_WRITE_ERROR ? PCQ_ERR_PROTOCOL : PCQ_ERR_NO_SERVICE;
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    OnvifXml xml(answer);
    xmlNode* fault = xml.ok() ? xml.find("Fault") : nullptr;
    if (status == 401 || (fault && xml.textOf("Code", fault).find("NotAuthorized") != std::string::npos)) {
        std::fprintf(stderr,
                     "pcQuorvane: ONVIF camera at %s refused user \"%s\": wrong user name or password\n",
                     url.c_str(), credentials.user.c_str());
        return PCQ_ERR_FAILED;
    }
    if (!xml.ok() || fault || status != 200) {
        std::fprintf(stderr, "pcQuorvane: ONVIF request to %s answered HTTP %ld%s%s\n", url.c_str(), status,
                     fault ? ", fault " : (xml.ok() ? "" : ", not XML"),
                     fault ? xml.textOf("Text", fault).c_str() : "");
        return PCQ_ERR_PROTOCOL;
    }
    if (reply)
        *reply = std::move(xml);
    return PCQ_OK;
}

} // namespace pcq
