#pragma once

#include <QByteArray>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

// H.264 decoder for tests: counts pictures, errors and the last picture size.
class TestDecoder {
public:
    TestDecoder();
    ~TestDecoder();
    TestDecoder(const TestDecoder&) = delete;
    TestDecoder& operator=(const TestDecoder&) = delete;

    bool ok() const { return m_ctx != nullptr; }
    void decode(const QByteArray& accessUnit);

    int pictures = 0;
    int errors = 0;
    int width = 0;
    int height = 0;

private:
    AVCodecContext* m_ctx = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
};
