#pragma once

#include <libxml/tree.h>

#include <initializer_list>
#include <string>

class OnvifCamera;

// The device, media and PTZ services of one camera: reads a SOAP request, checks its UsernameToken and
// answers it. Every action but GetSystemDateAndTime needs the camera's credentials.
class OnvifSoap {
public:
    struct Reply {
        int status;
        std::string body;
    };

    OnvifSoap(OnvifCamera& camera, int rtspPort);

    Reply handle(const char* data, std::size_t size);
    OnvifCamera& camera() const { return m_cam; }

private:
    Reply dispatch(const std::string& action, xmlNode* request);
    Reply deviceInformation() const;
    Reply systemDateAndTime() const;
    Reply capabilities() const;
    Reply services() const;
    Reply profiles() const;
    Reply mediaUri(const std::string& action, xmlNode* request) const;
    Reply continuousMove(xmlNode* request);
    Reply setPreset(xmlNode* request);
    Reply gotoPreset(xmlNode* request);
    Reply presets() const;
    // The PTZ profile named by the request, or a fault when it names none or one without PTZ.
    bool ptzProfile(xmlNode* request, Reply* fault) const;

    static Reply ok(const std::string& body);
    // code: "s:Sender" or "s:Receiver"; subcodes from outer to inner ("ter:InvalidArgVal", "ter:NoProfile").
    static Reply fault(int status, const char* code, std::initializer_list<const char*> subcodes,
                       const std::string& reason);
    std::string xaddr(const char* service) const;
    std::string profileXml(int index) const;

    OnvifCamera& m_cam;
    const int m_rtspPort;
};
