#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The service tests' view of the SDK test double: its call log as lines "name(arg, arg, ...)" (out
// buffers left out), results and replies that a reset restores, and callbacks fired on the caller's
// thread.
namespace SdkRecorder {

void reset(); // starts the log afresh and restores results and replies; keeps the registrations
QStringList calls();
// The calls since the last reset whose name is one of `names` (all when empty).
QStringList callsNamed(const QStringList& names = {});
int count(const QString& name);
QStringList registrations(); // names of the Init* calls in order, never reset

void setResult(const QString& name, int result);
void setReply(int selector, const QByteArray& text); // GetLanSysInfo
void setCallId(const QByteArray& identity);          // written by vmoLANCalling/vmoWANCalling

void fireSystem(int command, const QByteArray& text);
void fireLan(const char* deviceId, const char* flag, int nxid, const char* audioType);
void fireAlarm(int command, const char* text, int flag, int value);
void fireWifi(const char* buffer, int length);
void fireVideo(const char* callId, const unsigned char* data, int length);
void fireAudio(const unsigned char* data, int length);

} // namespace SdkRecorder
