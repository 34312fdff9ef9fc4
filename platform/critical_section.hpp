#pragma once

#include <mutex>

// A lock that the thread holding it may enter again; each enter is matched by a leave.
// Creation and deletion are the object's lifetime.
class critical_section {
  public:
    void enter() { mutex_.lock(); }
    void leave() { mutex_.unlock(); }

  private:
    std::recursive_mutex mutex_;
};
