#pragma once

#include "WireWriter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace pcq {

// One TCP connection to the camera service on 127.0.0.1. A reader thread receives replies (matched to
// waiting callers by sequence number) and events (handed to the event handler on the reader thread),
// reconnects in the background after a loss, and fails every waiting caller when the link breaks.
class SdkConnection {
public:
    using EventHandler = std::function<void(const char* body, std::size_t size)>;
    using StateHandler = std::function<void(bool connected)>;
    // The port to connect to, asked at every attempt; 0 while there is nowhere to go.
    using PortSource = std::function<int()>;

    SdkConnection(PortSource port, EventHandler onEvent, StateHandler onState);
    ~SdkConnection();
    SdkConnection(const SdkConnection&) = delete;
    SdkConnection& operator=(const SdkConnection&) = delete;

    void stop();

    // Runs on the reader thread as the reply is read, before any frame behind it is handled, and only
    // while the caller still waits for it.
    using ReplyHook = std::function<void(int result, const std::string& text)>;

    // Sends the request and waits for its reply; returns the reply's result or a PCQ_ERR_* code.
    int request(kvabwire::WireWriter& message, std::string* replyText, ReplyHook onReply = {});
    // Sends without waiting for the reply (which is then ignored).
    bool post(kvabwire::WireWriter& message);
    // Gives the current connection up (its waiting callers fail); the next use connects anew.
    void disconnect();

private:
    struct Pending {
        bool done = false;
        int result = 0;
        std::string text;
        ReplyHook onReply;
        int fd = -1; // the connection it was sent on: only that one's loss fails it
    };

    bool ensureConnected();
    int tryConnect();
    bool sendFrame(const std::string& frame);
    void readerLoop();
    void dropConnection(int fd, int failResult);

    PortSource m_port;
    EventHandler m_onEvent;
    StateHandler m_onState;

    std::mutex m_connectMutex; // one connection attempt at a time
    std::mutex m_sendMutex;    // whole frames; an fd is closed only under it
    std::mutex m_mutex;        // m_fd, m_pending
    std::condition_variable m_cv;
    int m_fd = -1;
    std::uint32_t m_seq = 0;
    std::map<std::uint32_t, std::shared_ptr<Pending>> m_pending;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_everUsed{false};
    std::thread m_reader;
};

} // namespace pcq
