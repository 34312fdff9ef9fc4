#pragma once

// State-variable filter in the topology-preserving form: stable under fast cutoff
// sweeps, which the bass, pluck and riser rely on. One object gives all three outputs.
class state_variable_filter {
  public:
    struct outputs {
        float low;
        float band;
        float high;
    };

    // resonance in [0, 1); 0 is a gentle slope, values near 1 ring at the cutoff.
    void set(float cutoff_hz, float resonance);
    // Inline: it runs for every sample of almost every voice.
    outputs process(float in) {
        const float v3 = in - ic2eq_;
        const float v1 = a1_ * (ic1eq_ + g_ * v3);
        const float v2 = ic2eq_ + g_ * v1;
        ic1eq_ = 2.0F * v1 - ic1eq_;
        ic2eq_ = 2.0F * v2 - ic2eq_;
        return {v2, v1, in - k_ * v1 - v2};
    }

  private:
    float g_ = 0.0F;
    float k_ = 2.0F;
    float a1_ = 0.0F;
    float ic1eq_ = 0.0F;
    float ic2eq_ = 0.0F;
};

// A single pole: cheap smoothing and tone shaping where a gentle slope is enough.
class one_pole_lowpass {
  public:
    void set(float cutoff_hz);
    float process(float in);

  private:
    float coefficient_ = 1.0F;
    float state_ = 0.0F;
};

// A gentle high-pass that only takes out what a sound leaves on one side of zero, such as
// the first, strongest half cycle of a decaying drum tone. Far below any note, it keeps
// the pitch and the attack as they are; the offset it removes would otherwise add up over
// the hits, the echo and the mix into a drift that eats the limiter's headroom.
class dc_blocker {
  public:
    explicit dc_blocker(float cutoff_hz = 10.0F) { drift_.set(cutoff_hz); }
    float process(float in) { return in - drift_.process(in); }

  private:
    one_pole_lowpass drift_;
};
