#pragma once

// A lock that the thread holding it may enter again; each enter is matched by a leave.
// Creation and deletion are the object's lifetime. The system's own lock object (a
// CRITICAL_SECTION on Windows, a recursive mutex elsewhere) lives inside it, so that no
// system header reaches the files that use it.
class critical_section {
  public:
    critical_section();
    ~critical_section();
    critical_section(const critical_section&) = delete;
    critical_section& operator=(const critical_section&) = delete;

    void enter();
    void leave();

  private:
    alignas(16) unsigned char storage_[64];
};
