#include "core/fileio.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace logfile {

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

UniqueFd openFile(const std::string &path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return UniqueFd(fd);
}

UniqueFd openAt(int folder, const std::string &name, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::openat(folder, name.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return UniqueFd(fd);
}

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

long long readAt(int fd, char *into, long long length, long long offset) {
    long long done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, into + done, static_cast<std::size_t>(length - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

long long readSome(int fd, char *into, std::size_t length) {
    ssize_t n;
    do {
        n = ::read(fd, into, length);
    } while (n < 0 && errno == EINTR);
    return n;
}

int copyRange(int in, long long offset, long long length, int out) {
    constexpr long long kBuffer = 256 * 1024;
    while (length > 0) {
        loff_t from = offset;
        const ssize_t n = ::copy_file_range(in, &from, out, nullptr, static_cast<std::size_t>(length), 0);
        if (n > 0) {
            offset += n;
            length -= n;
            continue;
        }
        if (n == 0)
            return EIO;  // the file is shorter than it was when locked
        if (errno == EINTR)
            continue;
        // No copying in the kernel here (or onto the end of a file opened for appending): through a
        // buffer of fixed size.
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
            return errno;
        std::vector<char> buffer(static_cast<std::size_t>(std::min(length, kBuffer)));
        while (length > 0) {
            const long long got = readAt(in, buffer.data(), std::min<long long>(length, kBuffer), offset);
            if (got <= 0)
                return got < 0 ? errno : EIO;
            if (const int err = writeAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(got))))
                return err;
            offset += got;
            length -= got;
        }
    }
    return 0;
}

int syncFile(int fd) {
    while (::fsync(fd) != 0)
        if (errno != EINTR)
            return errno;
    return 0;
}

int syncFolder(const std::string &folder) {
    const UniqueFd dir = openFile(folder, O_RDONLY | O_DIRECTORY);
    return dir ? syncFile(dir.get()) : errno;
}

std::string folderOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace logfile
