#pragma once

#include <cmath>
#include <cstdint>

// One sounding note as the synthesizer sees it: where it starts, how long the key is
// held, what pitch and how hard. Drum hits carry no pitch.
struct note_event {
    std::int64_t start = 0;   // sample index in the soundtrack
    std::int64_t length = 0;  // samples the note is held; the sound's tail may ring on
    int pitch = no_pitch;     // MIDI note number
    float velocity = 1.0F;
    std::uint32_t seed = 1;  // for the noise of this one note

    static constexpr int no_pitch = -1;
};

// Equal temperament around A4 = 440 Hz.
inline double frequency_of_pitch(int midi_note) {
    return 440.0 * std::pow(2.0, (midi_note - 69) / 12.0);
}
