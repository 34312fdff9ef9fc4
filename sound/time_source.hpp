#pragma once

#include <cstdint>

// Where the sound layer reads the time. Play positions are extrapolated from it between
// the blocks an output hands over, so tests and benchmarks put a clock of their own here.
class time_source {
  public:
    virtual ~time_source() = default;
    virtual std::int64_t now_ns() const = 0;
};

// The process's monotonic clock: never set back, unaffected by changes of the wall time.
class monotonic_time_source final : public time_source {
  public:
    std::int64_t now_ns() const override;
};
