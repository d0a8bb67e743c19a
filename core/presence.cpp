#include "core/presence.h"

#include "core/logio.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logfile {
namespace {

// The same file however it is named: links followed, relative parts resolved.
std::string canonical(const std::string &path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string readNote(int fd) {
    std::string text(PATH_MAX + 1, '\0');
    const long long n = readAt(fd, text.data(), static_cast<long long>(text.size()), 0);
    text.resize(static_cast<std::size_t>(std::max(0LL, n)));
    return text;
}

}  // namespace

Presence::Presence(std::string folder, std::string id) : folder_(std::move(folder)), note_(std::move(id)) {}

Presence::~Presence() {
    if (fd_)
        ::unlink((folder_ + "/" + note_).c_str());
}

int Presence::announce(const std::string &logPath) {
    const std::string current = canonical(logPath);
    if (!fd_) {
        // Made under a hidden name, which scans pass by, and shown under its own only once locked:
        // a note seen without its lock is one whose copy has ended.
        ::mkdir(folder_.c_str(), 0700);
        const std::string hidden = folder_ + "/." + note_;
        UniqueFd fd = openFile(hidden, O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (!fd)
            return 0;  // without a note nothing can be told; logging itself is not affected
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || ::rename(hidden.c_str(), (folder_ + "/" + note_).c_str()) != 0) {
            ::unlink(hidden.c_str());
            return 0;
        }
        fd_ = std::move(fd);
    }
    if (::ftruncate(fd_.get(), 0) != 0 || ::pwrite(fd_.get(), current.data(), current.size(), 0) !=
                                               static_cast<ssize_t>(current.size()))
        return 0;

    int others = 0;
    DIR *dir = ::opendir(folder_.c_str());
    if (dir == nullptr)
        return 0;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.starts_with('.') || name == note_)
            continue;  // a hidden one is a note being made
        const std::string path = folder_ + "/" + name;
        const UniqueFd fd = openFile(path, O_RDONLY | O_NONBLOCK);
        if (!fd)
            continue;
        if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0)
            ::unlink(path.c_str());  // its copy has ended
        else if (readNote(fd.get()) == current)
            ++others;
    }
    ::closedir(dir);
    return others;
}

}  // namespace logfile
