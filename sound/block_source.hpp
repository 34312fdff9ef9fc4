#pragma once

#include <cstdint>

// What an output plays: blocks of signed 16-bit mono samples, each already through the
// stream's DSP units, with silence after the end. Called from the output's own thread.
class block_source {
  public:
    // Writes the next `frames` samples into `block`.
    virtual void fill(std::int16_t* block, int frames) = 0;

    // The output's word on what is being heard: the stream's sample at `position_ns`
    // from its start (the silence after the end counted too) is heard at `at_ns` on the
    // source's time source. Outputs report whenever they learn something new.
    virtual void heard(std::int64_t position_ns, std::int64_t at_ns) = 0;

    // The output has stopped playing for a while, with the stream's sample at
    // `position_ns` heard last (its audio suspended or taken away from outside): the
    // position stands there until the next report.
    virtual void held(std::int64_t position_ns) = 0;

    // As heard(), from an output whose stream is not playing (still filling before its
    // start, or run dry): nothing past `taken_ns`, the music it has taken in, is heard
    // until a heard() report says the stream plays again.
    virtual void heard_not_playing(std::int64_t position_ns, std::int64_t at_ns,
                                   std::int64_t taken_ns) = 0;

    // The output can no longer play (its sound server went away): nothing more will be
    // heard or reported, and the position goes on with real time from the last report.
    virtual void lost() = 0;

    // True once the end of the stream has been handed over; later blocks are silence.
    virtual bool finished() const = 0;

  protected:
    ~block_source() = default;
};
