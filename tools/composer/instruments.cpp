#include "tools/composer/instruments.hpp"

void render_voice(instrument voice, const note_event& note, std::span<float> bus) {
    switch (voice) {
        case instrument::kick:
            return render_kick(note, bus);
        case instrument::snare:
            return render_snare(note, bus);
        case instrument::closed_hat:
            return render_hat(note, bus, false);
        case instrument::open_hat:
            return render_hat(note, bus, true);
        case instrument::crash:
            return render_crash(note, bus);
        case instrument::riser:
            return render_riser(note, bus);
        case instrument::static_noise:
            return render_static(note, bus);
        case instrument::drone:
            return render_drone(note, bus);
        case instrument::bass:
            return render_bass(note, bus);
        case instrument::pad:
            return render_pad(note, bus);
        case instrument::stab:
            return render_stab(note, bus);
        case instrument::pluck:
            return render_pluck(note, bus);
        case instrument::lead:
            return render_lead(note, bus);
        case instrument::ping:
            return render_ping(note, bus);
    }
}
