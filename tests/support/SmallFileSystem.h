#pragma once
// A folder where writing stops after a few kilobytes, as on a full disk: a small tmpfs mounted
// on it where the superuser may mount one, else a file size limit on this process (the writes
// then fail with EFBIG instead of ENOSPC; SIGXFSZ is ignored, as the program ignores it).

#include <QDir>
#include <QString>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

class SmallFileSystem {
public:
    // `path` must be an empty folder; `bytes` is the room it gives.
    SmallFileSystem(const QString &path, long bytes) : path_(path) {
        QDir().mkpath(path);
        const QByteArray options = "size=" + QByteArray::number(static_cast<qlonglong>(bytes));
        mounted_ = ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, options.constData()) == 0;
        if (!mounted_) {
            std::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &saved_);
            const rlimit small{static_cast<rlim_t>(bytes), saved_.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;
    ~SmallFileSystem() {
        if (mounted_)
            ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
        else
            ::setrlimit(RLIMIT_FSIZE, &saved_);
    }

private:
    QString path_;
    bool mounted_ = false;
    rlimit saved_{};
};
