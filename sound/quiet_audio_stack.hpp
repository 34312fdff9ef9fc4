#pragma once

// Keeps the audio stack off the terminal: ALSA and JACK print their complaints (no card,
// no server) straight to standard error, and SDL logs its own. Call before SDL's audio
// subsystem starts. Libraries that are not installed are left alone.
void quiet_audio_stack();
