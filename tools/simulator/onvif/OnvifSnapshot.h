#pragma once

#include <string>

// The still picture behind GetSnapshotUri: the camera's test pattern encoded as one JPEG.
class OnvifSnapshot {
public:
    // Empty when the encoder fails.
    static std::string jpeg(const std::string& cameraId, const std::string& label, int width, int height);
};
