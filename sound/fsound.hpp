#pragma once

#include <cstdint>

#include "sound/dsp_unit.hpp"

// The sound library the show plays its music through: eight calls, named as the show
// knows them. Streams are decoded from any format libsndfile reads, as they play, and
// always delivered as signed 16-bit mono at the file's rate; results may be ignored by
// the caller.
//
// A null stream is accepted everywhere. Playing it plays a stream of silence without end,
// so a show whose soundtrack is missing still runs on real time.

class fsound_stream;

// Starts the sound layer. The mixing rate, channel count and flags are accepted as given;
// streams play at their own rate and the device converts.
bool FSOUND_Init(int mixrate, int maxchannels, unsigned int flags);

// Opens a sound file and starts decoding it ahead of playback. Null when it cannot be
// used; fsound_last_error() says why. The mode and the extra argument are accepted as given.
fsound_stream* FSOUND_Stream_OpenFile(const char* name, unsigned int mode, int arg);

// Adds an inactive DSP unit to the stream's chain; null for a null stream or callback.
fsound_dsp_unit* FSOUND_Stream_CreateDSP(fsound_stream* stream, fsound_dsp_callback callback,
                                         int priority, void* user_data);

// Switches a unit on or off; false for a null unit.
bool FSOUND_DSP_SetActive(fsound_dsp_unit* unit, bool active);

// Where a stream not yet playing starts: `ms` milliseconds into its music, or the first
// sample after that moment; its time still counts from the music's start. Ignored for a
// null stream or one already playing.
void fsound_start_at(fsound_stream* stream, std::int32_t ms);

// Plays the stream from its start, once. Returns the channel, or -1 when nothing can
// play (the layer is not started, or the stream is null and plays only silence).
int FSOUND_Stream_Play(int channel, fsound_stream* stream);

// Milliseconds of the stream heard so far; 0 before it plays.
std::int32_t FSOUND_Stream_GetTime(fsound_stream* stream);

// Stops the stream and frees it; the handle is dead afterwards.
bool FSOUND_Stream_Close(fsound_stream* stream);

// Closes every stream still open and stops the sound layer.
void FSOUND_Close();

// Why the last FSOUND_Stream_OpenFile returned null, in a few words.
const char* fsound_last_error();
