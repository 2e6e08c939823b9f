// The external sound library's 91 entry points, in loading order, as one
// list: the binding builds its function slots and stubs from it, and every
// library we build ourselves declares its exports from it, so a signature
// can never drift between the two sides.
//
// X(name, return type, (parameters))
#pragma once
#include <cstdint>

namespace soundlib {
using DWORD = uint32_t;
using QWORD = uint64_t;
using BOOL = int32_t;
using HMUSIC = DWORD;
using HSAMPLE = DWORD;
using HCHANNEL = DWORD;
using HSTREAM = DWORD;
using HRECORD = DWORD;
using HSYNC = DWORD;
using HDSP = DWORD;
using HFX = DWORD;
}  // namespace soundlib

#define VELKOR_BASS_ENTRY_POINTS(X)                                                               \
  /* General */                                                                                  \
  X(BASS_SetConfig, DWORD, (DWORD option, DWORD value))                                           \
  X(BASS_GetConfig, DWORD, (DWORD option))                                                        \
  X(BASS_GetVersion, DWORD, ())                                                                   \
  X(BASS_GetDeviceDescription, const char*, (DWORD device))                                       \
  X(BASS_ErrorGetCode, int, ())                                                                   \
  X(BASS_Init, BOOL, (int device, DWORD freq, DWORD flags, void* win, const void* clsid))         \
  X(BASS_SetDevice, BOOL, (DWORD device))                                                         \
  X(BASS_GetDevice, DWORD, ())                                                                    \
  X(BASS_Free, BOOL, ())                                                                          \
  X(BASS_GetDSoundObject, void*, (DWORD object))                                                  \
  X(BASS_GetInfo, BOOL, (void* info))                                                             \
  X(BASS_Update, BOOL, ())                                                                        \
  X(BASS_GetCPU, float, ())                                                                       \
  X(BASS_Start, BOOL, ())                                                                         \
  X(BASS_Stop, BOOL, ())                                                                          \
  X(BASS_Pause, BOOL, ())                                                                         \
  X(BASS_SetVolume, BOOL, (DWORD volume))                                                         \
  X(BASS_GetVolume, int, ())                                                                      \
  X(BASS_Set3DFactors, BOOL, (float distf, float rollf, float doppf))                             \
  X(BASS_Get3DFactors, BOOL, (float* distf, float* rollf, float* doppf))                          \
  X(BASS_Set3DPosition, BOOL, (const void* pos, const void* vel, const void* front, const void* top)) \
  X(BASS_Get3DPosition, BOOL, (void* pos, void* vel, void* front, void* top))                     \
  X(BASS_Apply3D, void, ())                                                                       \
  X(BASS_SetEAXParameters, BOOL, (int env, float vol, float decay, float damp))                   \
  X(BASS_GetEAXParameters, BOOL, (DWORD* env, float* vol, float* decay, float* damp))             \
  /* Music */                                                                                    \
  X(BASS_MusicLoad, HMUSIC,                                                                       \
    (BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags, DWORD freq))            \
  X(BASS_MusicFree, void, (HMUSIC handle))                                                        \
  X(BASS_MusicGetName, const char*, (HMUSIC handle))                                              \
  X(BASS_MusicGetLength, DWORD, (HMUSIC handle, BOOL playlen))                                    \
  X(BASS_MusicSetAttribute, DWORD, (HMUSIC handle, DWORD attrib, DWORD value))                    \
  X(BASS_MusicGetAttribute, DWORD, (HMUSIC handle, DWORD attrib))                                 \
  /* Sample */                                                                                   \
  X(BASS_SampleLoad, HSAMPLE,                                                                     \
    (BOOL mem, const void* file, DWORD offset, DWORD length, DWORD max, DWORD flags))             \
  X(BASS_SampleCreate, void*, (DWORD length, DWORD freq, DWORD max, DWORD flags))                 \
  X(BASS_SampleCreateDone, HSAMPLE, ())                                                           \
  X(BASS_SampleFree, void, (HSAMPLE handle))                                                      \
  X(BASS_SampleGetInfo, BOOL, (HSAMPLE handle, void* info))                                       \
  X(BASS_SampleSetInfo, BOOL, (HSAMPLE handle, const void* info))                                 \
  X(BASS_SampleGetChannel, HCHANNEL, (HSAMPLE handle, BOOL onlynew))                              \
  X(BASS_SampleStop, BOOL, (HSAMPLE handle))                                                      \
  /* Stream */                                                                                   \
  X(BASS_StreamCreate, HSTREAM, (DWORD freq, DWORD chans, DWORD flags, void* proc, void* user))   \
  X(BASS_StreamCreateFile, HSTREAM,                                                               \
    (BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags))                        \
  X(BASS_StreamCreateURL, HSTREAM,                                                                \
    (const char* url, DWORD offset, DWORD flags, void* proc, void* user))                         \
  X(BASS_StreamCreateFileUser, HSTREAM, (BOOL buffered, DWORD flags, void* proc, void* user))     \
  X(BASS_StreamFree, void, (HSTREAM handle))                                                      \
  X(BASS_StreamGetLength, QWORD, (HSTREAM handle))                                                \
  X(BASS_StreamGetTags, const char*, (HSTREAM handle, DWORD tags))                                \
  X(BASS_StreamGetFilePosition, DWORD, (HSTREAM handle, DWORD mode))                              \
  /* Recording */                                                                                \
  X(BASS_RecordGetDeviceDescription, const char*, (DWORD device))                                 \
  X(BASS_RecordInit, BOOL, (int device))                                                          \
  X(BASS_RecordSetDevice, BOOL, (DWORD device))                                                   \
  X(BASS_RecordGetDevice, DWORD, ())                                                              \
  X(BASS_RecordFree, BOOL, ())                                                                    \
  X(BASS_RecordGetInfo, BOOL, (void* info))                                                       \
  X(BASS_RecordGetInputName, const char*, (int input))                                            \
  X(BASS_RecordSetInput, BOOL, (int input, DWORD setting))                                        \
  X(BASS_RecordGetInput, DWORD, (int input))                                                      \
  X(BASS_RecordStart, HRECORD, (DWORD freq, DWORD chans, DWORD flags, void* proc, void* user))    \
  /* Channel */                                                                                  \
  X(BASS_ChannelBytes2Seconds, float, (DWORD handle, QWORD pos))                                  \
  X(BASS_ChannelSeconds2Bytes, QWORD, (DWORD handle, float pos))                                  \
  X(BASS_ChannelGetDevice, DWORD, (DWORD handle))                                                 \
  X(BASS_ChannelIsActive, DWORD, (DWORD handle))                                                  \
  X(BASS_ChannelGetInfo, BOOL, (DWORD handle, void* info))                                        \
  X(BASS_ChannelSetFlags, BOOL, (DWORD handle, DWORD flags))                                      \
  X(BASS_ChannelPreBuf, BOOL, (DWORD handle, DWORD length))                                       \
  X(BASS_ChannelPlay, BOOL, (DWORD handle, BOOL restart))                                         \
  X(BASS_ChannelStop, BOOL, (DWORD handle))                                                       \
  X(BASS_ChannelPause, BOOL, (DWORD handle))                                                      \
  X(BASS_ChannelSetAttributes, BOOL, (DWORD handle, int freq, int volume, int pan))               \
  X(BASS_ChannelGetAttributes, BOOL, (DWORD handle, DWORD* freq, DWORD* volume, int* pan))        \
  X(BASS_ChannelSlideAttributes, BOOL, (DWORD handle, int freq, int volume, int pan, DWORD time)) \
  X(BASS_ChannelIsSliding, DWORD, (DWORD handle))                                                 \
  X(BASS_ChannelSet3DAttributes, BOOL,                                                            \
    (DWORD handle, int mode, float min, float max, int iangle, int oangle, int outvol))           \
  X(BASS_ChannelGet3DAttributes, BOOL,                                                            \
    (DWORD handle, DWORD* mode, float* min, float* max, DWORD* iangle, DWORD* oangle,             \
     DWORD* outvol))                                                                              \
  X(BASS_ChannelSet3DPosition, BOOL,                                                              \
    (DWORD handle, const void* pos, const void* orient, const void* vel))                         \
  X(BASS_ChannelGet3DPosition, BOOL, (DWORD handle, void* pos, void* orient, void* vel))          \
  X(BASS_ChannelSetPosition, BOOL, (DWORD handle, QWORD pos))                                     \
  X(BASS_ChannelGetPosition, QWORD, (DWORD handle))                                               \
  X(BASS_ChannelGetLevel, DWORD, (DWORD handle))                                                  \
  X(BASS_ChannelGetData, DWORD, (DWORD handle, void* buffer, DWORD length))                       \
  X(BASS_ChannelSetSync, HSYNC, (DWORD handle, DWORD type, QWORD param, void* proc, void* user))  \
  X(BASS_ChannelRemoveSync, BOOL, (DWORD handle, HSYNC sync))                                     \
  X(BASS_ChannelSetDSP, HDSP, (DWORD handle, void* proc, void* user, int priority))               \
  X(BASS_ChannelRemoveDSP, BOOL, (DWORD handle, HDSP dsp))                                        \
  X(BASS_ChannelSetFX, HFX, (DWORD handle, DWORD type, int priority))                             \
  X(BASS_ChannelRemoveFX, BOOL, (DWORD handle, HFX fx))                                           \
  X(BASS_ChannelSetEAXMix, BOOL, (DWORD handle, float mix))                                       \
  X(BASS_ChannelGetEAXMix, BOOL, (DWORD handle, float* mix))                                      \
  X(BASS_ChannelSetLink, BOOL, (DWORD handle, DWORD chan))                                        \
  X(BASS_ChannelRemoveLink, BOOL, (DWORD handle, DWORD chan))                                     \
  /* Effects */                                                                                  \
  X(BASS_FXSetParameters, BOOL, (HFX handle, const void* par))                                    \
  X(BASS_FXGetParameters, BOOL, (HFX handle, void* par))

// Library side (after `using namespace soundlib;`): declares every entry
// point with C linkage. A library defines the ones it implements; a
// definition whose types differ fails to compile.
#define VELKOR_BASS_DECLARE_EXPORT(name, ret, params) \
  extern "C" __attribute__((visibility("default"))) ret name params;
#define VELKOR_BASS_DECLARE_EXPORTS() VELKOR_BASS_ENTRY_POINTS(VELKOR_BASS_DECLARE_EXPORT)
