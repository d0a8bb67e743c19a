#pragma once
// The few system calls every file operation is made of, each in one place: a file descriptor that
// closes itself, and reads, writes, copies and flushes that go on after an interrupted call.

#include <string>
#include <string_view>
#include <sys/types.h>

namespace logfile {

// An open file descriptor, closed when it goes out of scope.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd &&other) noexcept : fd_(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int release();
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// open(2) and openat(2), again after an interrupted call; close-on-exec always. Invalid on failure,
// with errno set.
UniqueFd openFile(const std::string &path, int flags, mode_t mode = 0666);
UniqueFd openAt(int folder, const std::string &name, int flags, mode_t mode = 0666);

// Writes all of `bytes`; 0 or the error (a write that takes nothing counts as a full disk).
int writeAll(int fd, std::string_view bytes);
// Reads up to `length` bytes at `offset`; the count read (less only at the end of the file), or -1.
long long readAt(int fd, char *into, long long length, long long offset);
// Reads from the current position into `into`; the count read (0 at the end), or -1.
long long readSome(int fd, char *into, std::size_t length);
// Copies `length` bytes of `in` from `offset` to the end of what was written to `out`, in the
// kernel where it can, else through a buffer of fixed size; 0 or the error.
int copyRange(int in, long long offset, long long length, int out);
// fsync(2) of a file, and of a folder so that names made or renamed in it are on disk; 0 or the
// error.
int syncFile(int fd);
int syncFolder(const std::string &folder);

// The folder part of a path ("." for a bare name) and the name after it.
std::string folderOf(const std::string &path);
std::string nameOf(const std::string &path);

}  // namespace logfile
