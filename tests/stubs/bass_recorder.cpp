// A sound library that plays nothing and writes every call into a log the
// test reads back. Init fails while already initialised, like the real one.
#include <string>

#include "soundlib/entries.h"

using namespace soundlib;
VELKOR_BASS_DECLARE_EXPORTS()

#define RECORDER_EXPORT extern "C" __attribute__((visibility("default")))
RECORDER_EXPORT const char* RecorderLog();
RECORDER_EXPORT void RecorderClear();
RECORDER_EXPORT void RecorderFailLoads(int fail);

namespace {
std::string g_log;
bool g_initialised = false;
bool g_failLoads = false;
DWORD g_nextHandle = 7;

void Log(const std::string& line) { g_log += line + "\n"; }
std::string N(long long v) { return std::to_string(v); }
}  // namespace

const char* RecorderLog() { return g_log.c_str(); }
void RecorderClear() { g_log.clear(); }
void RecorderFailLoads(int fail) { g_failLoads = fail != 0; }

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* clsid) {
  const BOOL ok = g_initialised ? 0 : 1;
  g_initialised = true;
  Log("Init(" + N(device) + "," + N(freq) + "," + N(flags) + "," + N(win != nullptr) + "," +
      N(clsid != nullptr) + ")=" + N(ok));
  return ok;
}

BOOL BASS_Free() {
  Log("Free()");
  const BOOL ok = g_initialised ? 1 : 0;
  g_initialised = false;
  return ok;
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags, DWORD freq) {
  const HMUSIC h = g_failLoads ? 0 : g_nextHandle++;
  Log("MusicLoad(" + N(mem) + "," + static_cast<const char*>(file) + "," + N(offset) + "," + N(length) +
      "," + N(flags) + "," + N(freq) + ")=" + N(h));
  return h;
}

DWORD BASS_MusicSetAttribute(HMUSIC handle, DWORD attrib, DWORD value) {
  Log("MusicSetAttribute(" + N(handle) + "," + N(attrib) + "," + N(value) + ")");
  return 0;
}

#ifndef RECORDER_WITHOUT_QUERY
DWORD BASS_MusicGetAttribute(HMUSIC handle, DWORD attrib) {
  Log("MusicGetAttribute(" + N(handle) + "," + N(attrib) + ")");
  return 0xFFFFFFFFu;
}
#endif

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
  Log("ChannelPlay(" + N(handle) + "," + N(restart) + ")");
  return handle != 0;
}

BOOL BASS_ChannelStop(DWORD handle) {
  Log("ChannelStop(" + N(handle) + ")");
  return handle != 0;
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
  Log("ChannelSetAttributes(" + N(handle) + "," + N(freq) + "," + N(volume) + "," + N(pan) + ")");
  return handle != 0;
}

BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
  Log("ChannelGetAttributes(" + N(handle) + "," + N(freq != nullptr) + "," + N(volume != nullptr) + "," +
      N(pan != nullptr) + ")");
  if (handle == 0) return 0;
  if (freq) *freq = 44100;
  if (volume) *volume = 100;
  return 1;
}
