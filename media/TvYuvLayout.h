#pragma once

// Layout of a planar YUV 4:2:0 picture as the media classes pass it on: the Y plane (width x height),
// then U, then V, each chroma plane ceil(width/2) x ceil(height/2), rows without gaps. For even sizes
// this is the usual width x height x 3 / 2 bytes with V at width x height x 5 / 4; odd sizes keep the
// last chroma column and row so that nothing reads past a plane.
namespace TvYuvLayout {

inline int chromaWidth(int width) {
    return (width + 1) / 2;
}
inline int chromaHeight(int height) {
    return (height + 1) / 2;
}
inline long long uOffset(int width, int height) {
    return static_cast<long long>(width) * height;
}
inline long long vOffset(int width, int height) {
    return uOffset(width, height) + static_cast<long long>(chromaWidth(width)) * chromaHeight(height);
}
inline long long pictureSize(int width, int height) {
    return vOffset(width, height) + static_cast<long long>(chromaWidth(width)) * chromaHeight(height);
}
// Largest picture side the media classes accept (H.264 level 6.2 stays well inside).
constexpr int kMaxSide = 16384;
inline bool validSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

} // namespace TvYuvLayout
