#include "OnvifRtsp.h"

#include "../TestPattern.h"
#include "OnvifCamera.h"

#include <gst/video/video.h>

#include <cstdio>

namespace {

const char* const kElements[] = {"videotestsrc", "x264enc",    "rtph264pay", "audiotestsrc",
                                 "alawenc",      "rtppcmapay", "capsfilter"};

std::string launchLine(int width, int height, int kbps) {
    char line[1024];
    // One encoder thread a stream: the simulator shares the machine with the client under test.
    std::snprintf(line, sizeof line,
                  "( videotestsrc name=picture is-live=true pattern=black"
                  " ! video/x-raw,format=I420,width=%d,height=%d,framerate=25/1"
                  " ! x264enc pass=cbr option-string=nal-hrd=cbr:filler=1 bitrate=%d key-int-max=50 "
                  "speed-preset=ultrafast tune=zerolatency threads=1"
                  " ! video/x-h264,profile=baseline ! rtph264pay name=pay0 pt=96 config-interval=-1"
                  "  audiotestsrc is-live=true wave=sine freq=1000 volume=0.5 samplesperbuffer=160"
                  " ! audio/x-raw,rate=8000,channels=1 ! alawenc ! rtppcmapay name=pay1 pt=8 )",
                  width, height, kbps);
    return line;
}

} // namespace

OnvifRtsp::OnvifRtsp(const std::vector<std::unique_ptr<OnvifCamera>>& cameras) {
    auto add = [this](OnvifCamera* camera, const char* label, int width, int height) {
        auto s = std::make_unique<Stream>();
        *s = Stream{camera, label, width, height};
        m_streams.push_back(std::move(s));
    };
    for (const auto& cam : cameras) {
        add(cam.get(), "main", 1920, 1080);
        add(cam.get(), "sub", 640, 360);
    }
}

OnvifRtsp::~OnvifRtsp() {
    if (m_cleanup) {
        g_source_destroy(m_cleanup);
        g_source_unref(m_cleanup);
    }
    if (m_watch) {
        GSource* source = g_main_context_find_source_by_id(m_context, m_watch);
        if (source)
            g_source_destroy(source);
    }
    if (m_server)
        g_object_unref(m_server);
}

std::string OnvifRtsp::missingElements() {
    std::string missing;
    for (const char* name : kElements) {
        GstElementFactory* f = gst_element_factory_find(name);
        if (f)
            gst_object_unref(f);
        else
            missing += (missing.empty() ? "" : " ") + std::string(name);
    }
    return missing;
}

bool OnvifRtsp::start(int port, GMainContext* context, std::string* error) {
    m_context = context;
    m_server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(m_server, "127.0.0.1");
    gst_rtsp_server_set_service(m_server, std::to_string(port).c_str());
    GstRTSPMountPoints* mounts = gst_rtsp_server_get_mount_points(m_server);
    for (const auto& s : m_streams) {
        GstRTSPMediaFactory* factory = gst_rtsp_media_factory_new();
        gst_rtsp_media_factory_set_launch(
            factory, launchLine(s->width, s->height, s->label == "main" ? 600 : 150).c_str());
        // Every client of a path sees the same pipeline, as with a camera's one encoder per stream.
        gst_rtsp_media_factory_set_shared(factory, TRUE);
        g_signal_connect(factory, "media-configure", G_CALLBACK(&OnvifRtsp::configure), s.get());
        gst_rtsp_mount_points_add_factory(mounts, ("/" + s->camera->id() + "/" + s->label).c_str(), factory);
    }
    g_object_unref(mounts);
    m_watch = gst_rtsp_server_attach(m_server, context);
    if (m_watch == 0) {
        *error = "RTSP port " + std::to_string(port) + " cannot be bound";
        return false;
    }
    m_port = gst_rtsp_server_get_bound_port(m_server);
    // Sessions of clients that went without a TEARDOWN expire.
    GstRTSPSessionPool* pool = gst_rtsp_server_get_session_pool(m_server);
    m_cleanup = gst_rtsp_session_pool_create_watch(pool);
    GstRTSPSessionPoolFunc keep = [](GstRTSPSessionPool*, gpointer) -> gboolean { return TRUE; };
    g_source_set_callback(m_cleanup, reinterpret_cast<GSourceFunc>(reinterpret_cast<void (*)()>(keep)),
                          nullptr, nullptr);
    g_source_attach(m_cleanup, context);
    g_object_unref(pool);
    return true;
}

void OnvifRtsp::configure(GstRTSPMediaFactory*, GstRTSPMedia* media, gpointer stream) {
    GstElement* bin = gst_rtsp_media_get_element(media);
    auto probe = [&](const char* element, const char* padName, GstPadProbeCallback callback) {
        GstElement* e = gst_bin_get_by_name(GST_BIN(bin), element);
        GstPad* pad = e ? gst_element_get_static_pad(e, padName) : nullptr;
        if (pad) {
            gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, callback, stream, nullptr);
            gst_object_unref(pad);
        }
        if (e)
            gst_object_unref(e);
    };
    probe("picture", "src", &OnvifRtsp::drawPicture);
    probe("pay0", "sink", &OnvifRtsp::holdWhenStalled);
    probe("pay1", "sink", &OnvifRtsp::holdWhenStalled);
    gst_object_unref(bin);
}

GstPadProbeReturn OnvifRtsp::drawPicture(GstPad*, GstPadProbeInfo* info, gpointer stream) {
    const Stream& s = *static_cast<Stream*>(stream);
    GstBuffer* buffer = gst_buffer_make_writable(gst_pad_probe_info_get_buffer(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstVideoInfo video;
    gst_video_info_set_format(&video, GST_VIDEO_FORMAT_I420, static_cast<guint>(s.width),
                              static_cast<guint>(s.height));
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &video, buffer, GST_MAP_WRITE))
        return GST_PAD_PROBE_OK;
    auto plane = [&](int i) { return static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, i)); };
    const int number = static_cast<int>(GST_BUFFER_OFFSET(buffer) % (25 * 3600));
    TestPattern::draw(number, 25, s.width, s.height, s.camera->id(),
                      s.label == "main" ? "ONVIF MAIN" : "ONVIF SUB", plane(0),
                      GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), plane(1), plane(2),
                      GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 1));
    gst_video_frame_unmap(&frame);
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn OnvifRtsp::holdWhenStalled(GstPad*, GstPadProbeInfo*, gpointer stream) {
    return static_cast<Stream*>(stream)->camera->stalled ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}
