#pragma once
// Which logs the running copies of the program have current, so that a copy making a log current
// can tell the observer that another copy is logging to it as well. Each copy keeps a note in a
// folder of the user's runtime files, locked for as long as the copy runs: a note whose lock is
// free was left by a copy that has ended, and is removed.

#include "core/fileio.h"

#include <string>

namespace logfile {

class Presence {
public:
    // `folder` is created when missing; `id` tells this copy's note apart from the others'.
    Presence(std::string folder, std::string id);
    Presence(const Presence &) = delete;
    Presence &operator=(const Presence &) = delete;
    ~Presence();

    // Notes `logPath` as this copy's current log; returns how many other running copies have the
    // same file current.
    int announce(const std::string &logPath);

private:
    std::string folder_;
    std::string note_;
    UniqueFd fd_;
};

}  // namespace logfile
