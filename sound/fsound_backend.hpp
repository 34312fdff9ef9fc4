#pragma once

#include "sound/sound_backend.hpp"

// Chooses the backend the next FSOUND_Init uses, instead of the system's sound device and
// clock; null goes back to the system's. The backend must outlive FSOUND_Close.
void fsound_use_backend(sound_backend* backend);
