#pragma once

#include <span>

#include "tools/composer/note_event.hpp"

// Every voice of the band, each synthesized from oscillators, noise, envelopes and
// filters; there are no recorded samples anywhere.
enum class instrument {
    kick,
    snare,
    closed_hat,
    open_hat,
    crash,
    riser,
    static_noise,
    drone,
    bass,
    pad,
    stab,
    pluck,
    lead,
    ping,
};

// Adds one note of the instrument into the bus, starting at the note's sample. Whatever
// would fall past the end of the bus is dropped.
void render_voice(instrument voice, const note_event& note, std::span<float> bus);

// Drums and noises, in drums.cpp.
void render_kick(const note_event& note, std::span<float> bus);
void render_snare(const note_event& note, std::span<float> bus);
void render_hat(const note_event& note, std::span<float> bus, bool open);
void render_crash(const note_event& note, std::span<float> bus);
void render_riser(const note_event& note, std::span<float> bus);
void render_static(const note_event& note, std::span<float> bus);

// Pitched voices, in tonal_voices.cpp.
void render_drone(const note_event& note, std::span<float> bus);
void render_bass(const note_event& note, std::span<float> bus);
void render_pad(const note_event& note, std::span<float> bus);
void render_stab(const note_event& note, std::span<float> bus);
void render_pluck(const note_event& note, std::span<float> bus);
void render_lead(const note_event& note, std::span<float> bus);
void render_ping(const note_event& note, std::span<float> bus);
