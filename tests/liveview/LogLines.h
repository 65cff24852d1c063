#pragma once

#include <QMessageLogContext>
#include <QStringList>

#include <mutex>

// Keeps every log line of the process (they come from decode, job and SDK threads too) and still prints
// them, or, when quiet, only a fatal one.
class LogLines {
public:
    static void install(bool quiet = false) {
        quietMode() = quiet;
        previous() = qInstallMessageHandler(&LogLines::handle);
    }
    static void clear() {
        std::lock_guard<std::mutex> lock(mutex());
        lines().clear();
    }
    static int count(const QString& part) {
        std::lock_guard<std::mutex> lock(mutex());
        int n = 0;
        for (const QString& line : lines())
            n += line.contains(part) ? 1 : 0;
        return n;
    }
    static bool contains(const QString& part) { return count(part) > 0; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        {
            std::lock_guard<std::mutex> lock(mutex());
            lines().append(message);
        }
        if (previous() && (!quietMode() || type == QtFatalMsg))
            previous()(type, context, message);
    }
    static std::mutex& mutex() {
        static std::mutex* m = new std::mutex; // outlives threads that log during exit
        return *m;
    }
    static QStringList& lines() {
        static QStringList* l = new QStringList;
        return *l;
    }
    static bool& quietMode() {
        static bool q = false;
        return q;
    }
    static QtMessageHandler& previous() {
        static QtMessageHandler h = nullptr;
        return h;
    }
};
