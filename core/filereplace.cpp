#include "core/filereplace.h"

#include "core/fileio.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logfile {

ExportTarget checkExportTarget(const std::string &target, const std::string &currentLog) {
    ExportTarget out;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            out.error = FileError::fromErrno(errno);
            return out;
        }
        out.result = ExportTarget::Result::Ok;  // a new file
        out.path = target;
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.result = ExportTarget::Result::NotRegular;
        out.error = FileError::notRegular(st.st_mode);
        return out;
    }
    // The same file by any of its names: a hard link, or another letter case where the file
    // system ignores case.
    struct stat log {};
    if (!currentLog.empty() && ::stat(currentLog.c_str(), &log) == 0 && log.st_dev == st.st_dev &&
        log.st_ino == st.st_ino) {
        out.result = ExportTarget::Result::CurrentLog;
        return out;
    }
    if (checkLogFile(target).result == LogCheck::Result::Log) {
        out.result = ExportTarget::Result::OtherLog;
        return out;
    }
    // A symbolic link is kept: the file it points to is replaced.
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved) == nullptr) {
        out.error = FileError::fromErrno(errno);
        return out;
    }
    out.result = ExportTarget::Result::Ok;
    out.path = resolved;
    return out;
}

FileError FileReplacement::create(const std::string &target, const std::string &currentLog, ExportTarget &refused) {
    discard();
    refused = checkExportTarget(target, currentLog);
    if (refused.result != ExportTarget::Result::Ok)
        return {};
    target_ = refused.path;
    currentLog_ = currentLog;
    struct stat st {};
    keepMode_ = ::stat(target_.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;

    // A short name of our own: the target's name may already be as long as a name can be.
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::minstd_rand pick(seed());
    const std::string folder = folderOf(target_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".quorvane-";
        for (int i = 0; i < 8; ++i)
            name.push_back(kLetters[pick() % (sizeof kLetters - 1)]);
        name += ".tmp";
        const std::string path = folder + "/" + name;
        fd_ = openFile(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
        if (fd_) {
            tempPath_ = path;
            if (keepMode_ != 0 && ::fchmod(fd_.get(), keepMode_) != 0) {
                const int err = errno;
                discard();
                return FileError::fromErrno(err);
            }
            return {};
        }
        if (errno != EEXIST)
            return FileError::fromErrno(errno);
    }
    return FileError::fromErrno(EEXIST);
}

FileError FileReplacement::commit(ExportTarget &refused) {
    if (!fd_)
        return FileError::fromErrno(EBADF);
    // Another program may have put a log or a pipe there while the export was written.
    refused = checkExportTarget(target_, currentLog_);
    if (refused.result != ExportTarget::Result::Ok) {
        discard();
        return {};
    }
    if (const int err = syncFile(fd_.get())) {
        discard();
        return FileError::fromErrno(err);
    }
    fd_.reset();
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        discard();
        return FileError::fromErrno(err);
    }
    tempPath_.clear();
    // The rename on disk too; a file system that cannot flush a folder has nothing to flush.
    const int err = syncFolder(folderOf(target_));
    return err && err != EINVAL ? FileError::fromErrno(err) : FileError();
}

void FileReplacement::discard() {
    fd_.reset();
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

ReplaceOutcome replaceFile(const std::string &target, const std::string &currentLog, std::string_view bytes) {
    ReplaceOutcome out;
    FileReplacement file;
    if ((out.error = file.create(target, currentLog, out.refused)) || out.refused.result != ExportTarget::Result::Ok)
        return out;
    if (const int err = writeAll(file.fd(), bytes)) {
        out.error = FileError::fromErrno(err);
        return out;
    }
    out.error = file.commit(out.refused);
    return out;
}

}  // namespace logfile
