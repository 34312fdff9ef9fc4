#pragma once

#include <string>

#include "base/result.hpp"

// A file written under a stand-in name beside the one asked for and renamed to it only
// when complete, so that a failed or interrupted export never leaves a half-written file
// under the requested name. The stand-in is removed on failure, and also when the
// process is interrupted (SIGINT, SIGTERM, SIGHUP) while it is being written.
class staged_output {
  public:
    explicit staged_output(std::string path);
    ~staged_output();
    staged_output(const staged_output&) = delete;
    staged_output& operator=(const staged_output&) = delete;

    // Checks that the requested name can take a file and claims the stand-in; fails
    // saying why (the folder is missing or not writable, the name is a folder).
    result<> prepare();

    // Where to write now.
    const std::string& staging_path() const { return staging_; }

    // Moves the finished file to the requested name.
    result<> commit();

  private:
    std::string path_;
    std::string staging_;
    bool claimed_ = false;
};
