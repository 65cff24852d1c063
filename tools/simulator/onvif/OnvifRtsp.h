#pragma once

#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>

#include <memory>
#include <string>
#include <vector>

class OnvifCamera;

// GStreamer's RTSP server with two mounts per camera, /ID/main (1920x1080, 600 kbit/s) and /ID/sub
// (640x360, 150 kbit/s; constant rates, padded with filler units as cameras do): H.264 at 25 frames a
// second with a key frame every 2 s and the parameter sets before each one, and a steady 1 kHz tone in
// G.711 A-law at 8 kHz. The picture is the simulator's own test pattern with the camera's id. A stalled
// camera's media is held back while its sessions stay.
class OnvifRtsp {
public:
    explicit OnvifRtsp(const std::vector<std::unique_ptr<OnvifCamera>>& cameras);
    ~OnvifRtsp();
    OnvifRtsp(const OnvifRtsp&) = delete;
    OnvifRtsp& operator=(const OnvifRtsp&) = delete;

    // Listens on 127.0.0.1:port (0: a free one) in context. False with the reason when it cannot.
    bool start(int port, GMainContext* context, std::string* error);
    int port() const { return m_port; }
    // The elements the pipelines need, by name, that this GStreamer lacks; empty when all are there.
    static std::string missingElements();

private:
    struct Stream {
        OnvifCamera* camera;
        std::string label;
        int width, height;
    };
    static void configure(GstRTSPMediaFactory* factory, GstRTSPMedia* media, gpointer stream);
    static GstPadProbeReturn drawPicture(GstPad* pad, GstPadProbeInfo* info, gpointer stream);
    static GstPadProbeReturn holdWhenStalled(GstPad* pad, GstPadProbeInfo* info, gpointer stream);

    std::vector<std::unique_ptr<Stream>> m_streams;
    GstRTSPServer* m_server = nullptr;
    guint m_watch = 0;
    GSource* m_cleanup = nullptr;
    GMainContext* m_context = nullptr;
    int m_port = 0;
};
