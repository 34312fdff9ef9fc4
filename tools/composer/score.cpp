#include "tools/composer/score.hpp"

// The show's music, in A minor at one beat per 11000 show ticks (about 120 bpm). The
// arrangement follows the scenes: every scene change of the show falls on a half bar,
// and the sections below change with them.
namespace {

// clang-format off
std::vector<track> band() {
    return {
        //  name        instrument                 level  echo   duck
        {"static",   instrument::static_noise,  0.10F, 0.00F, 0.0F},
        {"drone",    instrument::drone,         0.15F, 0.00F, 0.0F},
        {"ping",     instrument::ping,          0.16F, 0.60F, 0.0F},
        {"riser",    instrument::riser,         0.22F, 0.20F, 0.0F},
        {"kick",     instrument::kick,          1.00F, 0.00F, 0.0F},
        {"snare",    instrument::snare,         0.85F, 0.10F, 0.0F},
        {"hat",      instrument::closed_hat,    0.45F, 0.00F, 0.0F},
        {"open_hat", instrument::open_hat,      0.25F, 0.00F, 0.3F},
        {"crash",    instrument::crash,         0.30F, 0.00F, 0.0F},
        {"bass",     instrument::bass,          0.30F, 0.00F, 0.7F},
        {"pad",      instrument::pad,           0.20F, 0.15F, 0.5F},
        {"stab",     instrument::stab,          0.20F, 0.35F, 0.0F},
        {"arp",      instrument::pluck,         0.18F, 0.40F, 0.3F},
        {"lead",     instrument::lead,          0.30F, 0.30F, 0.0F},
    };
}

std::vector<pattern> patterns() {
    return {
        // --- the dead channel -------------------------------------------------------
        {"static_bed", 1, "x - - - | - - - - | - - - -"},
        {"drone_a", 1, "A1+E2 - - - | - - - - | - - - - | - - - - | - - - -"},
        {"ping_search", 2, "A5 . . . . . . . | . . . . Bb5 . . ."},

        // --- effects ------------------------------------------------------------------
        {"rise_10_beats", 1, "x - - - - - - - - -"},
        {"rise_2_bars", 1, "x - - - | - - - -"},
        {"rise_1_bar", 1, "x - - -"},
        {"rise_6_beats", 1, "x - - - - -"},
        {"rise_9_beats", 1, "x - - - - - - - -"},
        {"crash_once", 1, "X . . ."},

        // --- drums --------------------------------------------------------------------
        {"kick_four", 4, "X . . . x . . . x . . . x . . ."},
        {"kick_hit", 4, "X . . . . . . ."},
        {"snare_backbeat", 4, ". . . . x . . . . . . . x . . ."},
        {"snare_half_time", 4, ". . . . . . . . x . . . . . . ."},
        {"snare_roll_bar", 4, "o . . . o . . . x . x . x x X X"},
        {"snare_fill_half", 4, "o o x o x x X X"},
        {"snare_last_beat", 4, "X X X X"},
        {"hat_offbeat", 4, ". . x . . . x . . . x . . . x ."},
        {"hat_sixteenths", 4, "o o X o o o X o o o X o o o X o"},
        {"hat_ticking", 4, "X o o o x o o o X o o o x o o o"},

        // --- the rise into the fire -------------------------------------------------------
        {"pad_am_held", 1, "A3+C4+E4+B4 - - - | - - - -"},
        {"bass_heartbeat", 4, "A1 . . A1 . . . . A1 . . A1 . . . ."},

        // --- the flickering image -----------------------------------------------------
        {"bass_offbeat_a", 4, ". . A1 . . . A1 . . . A1 . . . A1 ."},
        {"stab_flicker", 4,
         "A3+C4+E4 . . . . . . A3+C4+E4 . . . . . . . . |"
         ". . . . . . A3+C4+E4 . . . A3+C4+E4 . . . . ."},

        // --- Am F C G: the plasma and the main theme ----------------------------------
        {"pad_prog", 1,
         "A3+C4+E4 - - - | A3+C4+F4 - - - | G3+C4+E4 - - - | G3+B3+D4 - - -"},
        {"bass_gallop_prog", 4,
         ". . A1 A1 . . A1 A1 . . A1 A1 . . A2 A1 |"
         ". . F1 F1 . . F1 F1 . . F1 F1 . . F2 F1 |"
         ". . C2 C2 . . C2 C2 . . C2 C2 . . C3 C2 |"
         ". . G1 G1 . . G1 G1 . . G1 G1 . . G2 G1"},
        {"bass_rolling_prog", 4,
         ". A1 A2 A1 . A1 A2 A1 . A1 A2 A1 . A1 A2 A1 |"
         ". F1 F2 F1 . F1 F2 F1 . F1 F2 F1 . F1 F2 F1 |"
         ". C2 C3 C2 . C2 C3 C2 . C2 C3 C2 . C2 C3 C2 |"
         ". G1 G2 G1 . G1 G2 G1 . G1 G2 G1 . G1 G2 G1"},
        {"arp_prog", 4,
         "A3 C4 E4 A4 C5 A4 E4 C4 A3 C4 E4 A4 C5 A4 E4 C4 |"
         "A3 C4 F4 A4 C5 A4 F4 C4 A3 C4 F4 A4 C5 A4 F4 C4 |"
         "G3 C4 E4 G4 C5 G4 E4 C4 G3 C4 E4 G4 C5 G4 E4 C4 |"
         "G3 B3 D4 G4 B4 G4 D4 B3 G3 B3 D4 G4 B4 G4 D4 B3"},
        {"lead_theme_a", 4,
         "A4 - - C5 - - E5 - D5 - C5 - B4 - C5 - |"
         "A4 - - - - - - - . . F4 - A4 - C5 - |"
         "G5 - - E5 - - C5 - D5 - E5 - D5 - C5 - |"
         "B4 - - - - - - - . . G4 - A4 - B4 -"},
        {"lead_theme_b", 4,
         "C6 - - B5 - - A5 - E5 - - - - - A5 - |"
         "C6 - - B5 - - A5 - F5 - - - - - A5 - |"
         "G5 - - E5 - - G5 - C6 - - - B5 - G5 - |"
         "B5 - - - - - - - D6 - - - B5 - - -"},

        // --- the turn to E before the break ---------------------------------------------
        {"pad_e", 1, "G#3+B3+E4 - - -"},
        {"bass_e", 4, ". E1 E2 E1 . E1 E2 E1 E1 . . . . . . ."},
        {"lead_turn", 4, "G#5 - - - - - - - B5 - - - - - . ."},
        {"pad_dm_break", 1, "A3+D4+F4 - - -"},
        {"ping_break", 2, ". . . . A5 . . ."},

        // --- Dm Bb C E: the counters ------------------------------------------------------
        {"pad_counter", 1,
         "A3+D4+F4 - - - | Bb3+D4+F4 - - - | G3+C4+E4 - - - | G#3+B3+E4 - - -"},
        {"bass_octaves_counter", 4,
         "D2 . D3 . D2 . D3 . D2 . D3 . D2 . D3 . |"
         "Bb1 . Bb2 . Bb1 . Bb2 . Bb1 . Bb2 . Bb1 . Bb2 . |"
         "C2 . C3 . C2 . C3 . C2 . C3 . C2 . C3 . |"
         "E1 . E2 . E1 . E2 . E1 . E2 . E1 . E2 ."},
        {"arp_counter", 4,
         "D4 F4 A4 D5 D4 F4 A4 D5 D4 F4 A4 D5 D4 F4 A4 D5 |"
         "D4 F4 Bb4 D5 D4 F4 Bb4 D5 D4 F4 Bb4 D5 D4 F4 Bb4 D5 |"
         "E4 G4 C5 E5 E4 G4 C5 E5 E4 G4 C5 E5 E4 G4 C5 E5 |"
         "E4 G#4 B4 E5 E4 G#4 B4 E5 E4 G#4 B4 E5 E4 G#4 B4 E5"},
        {"ping_count", 2, ". . . A5 . . . E6 | . . . A5 . . . D6 | . . . A5 . . . C6 | . . . B5 . . . G#5"},

        // --- F G C Am / F G E E: the credits --------------------------------------------
        {"pad_closing", 1,
         "A3+C4+F4 - - - | G3+B3+D4 - - - | G3+C4+E4 - - - | A3+C4+E4 - - - |"
         "A3+C4+F4 - - - | G3+B3+D4 - - - | G#3+B3+E4 - - - | G#3+B3+D4 - - -"},
        {"bass_closing", 4,
         ". F1 F2 F1 . F1 F2 F1 . F1 F2 F1 . F1 F2 F1 |"
         ". G1 G2 G1 . G1 G2 G1 . G1 G2 G1 . G1 G2 G1 |"
         ". C2 C3 C2 . C2 C3 C2 . C2 C3 C2 . C2 C3 C2 |"
         ". A1 A2 A1 . A1 A2 A1 . A1 A2 A1 . A1 A2 A1 |"
         ". F1 F2 F1 . F1 F2 F1 . F1 F2 F1 . F1 F2 F1 |"
         ". G1 G2 G1 . G1 G2 G1 . G1 G2 G1 . G1 G2 G1 |"
         ". E1 E2 E1 . E1 E2 E1 . E1 E2 E1 . E1 E2 E1 |"
         ". E1 E2 E1 . E1 E2 E1 . E1 E2 E1 . E1 E2 E1"},
        {"lead_closing", 4,
         "C5 - - A4 - - C5 - F5 - - - E5 - C5 - |"
         "D5 - - B4 - - D5 - G5 - - - F5 - D5 - |"
         "E5 - - C5 - - E5 - G5 - - - A5 - G5 - |"
         "E5 - - - - - - - . . C5 - B4 - A4 - |"
         "A5 - - G5 - - F5 - C6 - - - A5 - F5 - |"
         "B5 - - A5 - - G5 - D6 - - - B5 - G5 - |"
         "G#5 - - - - - B5 - - - - - E6 - - - |"
         "D6 - - - - - - - B5 - - - G#5 - - -"},

        // --- the end ------------------------------------------------------------------
        {"stab_e7_hit", 4, "G#3+B3+D4+E4 . . ."},
        {"stab_final", 1, "A2+E3+A3+C4+E4 - - -"},
        {"bass_final", 1, "A1 - - -"},
    };
}

std::vector<section> arrangement() {
    return {
        // The "Kein Signal" screen: a dead channel, a low drone, a test tone that will
        // not settle on one pitch.
        {"kein signal", 0.0, 3.0, {{"static", "static_bed"}}},
        {"kein signal", 0.0, 5.0, {{"drone", "drone_a"}}},
        {"kein signal", 0.0, 2.5, {{"ping", "ping_search"}}},

        // The word catches fire and burns: the noise rises, a chord and a heartbeat.
        {"fire", 2.5, 5.0, {{"riser", "rise_10_beats"}}},
        {"fire", 3.0, 5.0, {{"pad", "pad_am_held", 0.8F}, {"bass", "bass_heartbeat", 0.8F}}},
        {"fire", 4.0, 5.0, {{"snare", "snare_roll_bar", 0.8F}}},

        // The flickering image: the beat comes in.
        {"flicker", 5.0, 7.5,
         {{"kick", "kick_four"}, {"hat", "hat_offbeat"}, {"bass", "bass_offbeat_a"},
          {"stab", "stab_flicker"}}},
        {"flicker", 5.0, 6.0, {{"crash", "crash_once"}}},
        {"zoom into the plasma", 7.5, 8.0,
         {{"kick", "kick_four"}, {"snare", "snare_fill_half"}, {"hat", "hat_offbeat"},
          {"bass", "bass_offbeat_a"}}},

        // The plasma: backbeat, chords and a galloping bass; the arpeggio joins as the
        // image zooms away, and the strong wobble rolls into the theme.
        {"plasma", 8.0, 13.5,
         {{"kick", "kick_four"}, {"snare", "snare_backbeat"}, {"hat", "hat_offbeat"},
          {"bass", "bass_gallop_prog"}, {"pad", "pad_prog"}}},
        {"plasma", 8.0, 9.0, {{"crash", "crash_once"}}},
        {"plasma", 10.5, 13.5, {{"open_hat", "hat_offbeat"}}},
        {"plasma", 11.0, 13.5, {{"arp", "arp_prog", 0.8F}}},
        {"strong wobble", 12.0, 14.0, {{"riser", "rise_2_bars", 0.7F}}},
        {"strong wobble", 13.5, 14.0,
         {{"kick", "kick_four"}, {"snare", "snare_fill_half"}, {"bass", "bass_e"},
          {"pad", "pad_e"}}},

        // The invitation scroller: the main theme, twice, then its higher answer.
        {"invitation", 14.0, 26.0,
         {{"kick", "kick_four"}, {"snare", "snare_backbeat"}, {"hat", "hat_sixteenths"},
          {"open_hat", "hat_offbeat"}, {"bass", "bass_rolling_prog"}, {"pad", "pad_prog"},
          {"arp", "arp_prog", 0.7F}}},
        {"invitation", 14.0, 22.0, {{"lead", "lead_theme_a"}}},
        {"invitation", 22.0, 26.0, {{"lead", "lead_theme_b"}}},
        {"invitation", 14.0, 15.0, {{"crash", "crash_once"}}},
        {"invitation", 22.0, 23.0, {{"crash", "crash_once"}}},
        {"invitation", 21.5, 22.0, {{"snare", "snare_fill_half", 0.8F}}},
        {"invitation", 25.5, 26.0, {{"snare", "snare_fill_half", 0.8F}}},
        {"invitation turns", 26.0, 27.0,
         {{"pad", "pad_e"}, {"bass", "bass_e"}, {"lead", "lead_turn"}, {"hat", "hat_sixteenths"}}},
        {"invitation turns", 26.0, 26.5, {{"kick", "kick_four"}, {"snare", "snare_backbeat"}}},
        {"invitation zooms away", 26.5, 27.0, {{"snare", "snare_fill_half"}}},

        // The cleared screen: one bar to breathe.
        {"break", 27.0, 28.0,
         {{"pad", "pad_dm_break", 0.7F}, {"riser", "rise_1_bar", 0.6F}, {"ping", "ping_break"}}},

        // The counters: a new key centre, a ticking clock and an arpeggio that counts up;
        // as they zoom away the band holds E and rolls into the credits.
        {"counters", 28.0, 32.0,
         {{"kick", "kick_four"}, {"snare", "snare_half_time"}, {"hat", "hat_ticking"},
          {"bass", "bass_octaves_counter"}, {"pad", "pad_counter"},
          {"arp", "arp_counter", 0.9F}, {"ping", "ping_count", 0.7F}}},
        {"counters", 28.0, 29.0, {{"crash", "crash_once"}}},
        {"counters zoom away", 32.0, 32.5,
         {{"kick", "kick_four"}, {"snare", "snare_fill_half"}, {"hat", "hat_ticking"},
          {"bass", "bass_e"}, {"pad", "pad_e"}}},
        {"counters zoom away", 31.0, 32.5, {{"riser", "rise_6_beats", 0.6F}}},

        // The credits: the closing theme, everything playing, until the dominant at the
        // end builds up with a roll and a rising noise.
        {"credits", 32.5, 40.5,
         {{"kick", "kick_four"}, {"snare", "snare_backbeat"}, {"hat", "hat_sixteenths"},
          {"open_hat", "hat_offbeat"}, {"bass", "bass_closing"}, {"pad", "pad_closing"},
          {"lead", "lead_closing"}}},
        {"credits", 32.5, 33.5, {{"crash", "crash_once"}}},
        {"credits", 36.0, 36.5, {{"snare", "snare_fill_half", 0.8F}}},
        {"credits", 36.5, 37.5, {{"crash", "crash_once"}}},
        {"credits", 39.5, 40.5, {{"snare", "snare_roll_bar", 0.8F}}},
        {"credits", 38.5, 40.75, {{"riser", "rise_9_beats", 0.8F}}},

        // One more beat of drums on the dominant, then a beat of silence, so that the
        // final hit stands alone.
        {"credits zoom away", 40.5, 40.75,
         {{"kick", "kick_four"}, {"snare", "snare_last_beat"}, {"stab", "stab_e7_hit"}}},

        // The cleared screen: the final hit, gone before the show ends.
        {"final hit", 41.0, 41.5,
         {{"kick", "kick_hit"}, {"crash", "crash_once"}, {"stab", "stab_final", 1.2F},
          {"bass", "bass_final"}}},
    };
}
// clang-format on

score build_show_score() {
    score music;
    music.tracks = band();
    music.patterns = patterns();
    music.arrangement = arrangement();
    music.duck_trigger = "kick";
    music.echo = {0.75, 0.35F, 3200.0F};
    music.master = {-16.0F, -3.0F, 0.25};
    // The show's last tick, where it ends its process.
    music.end_bar = 41.5;
    // The file runs on in silence past the end, so the show's clock never stops early.
    music.length_seconds = 84.0;
    return music;
}

}  // namespace

const score& show_score() {
    static const score music = build_show_score();
    return music;
}
