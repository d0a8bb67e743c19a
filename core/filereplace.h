#pragma once
// Writing an export over a file safely: the new contents go to a temporary file beside the target,
// are flushed to disk and renamed over the target only when complete, so a full disk or a failure
// part way leaves the old file as it was and nothing of ours behind. An export never replaces the
// current log (by any name: a hard link, another letter case), any other log, or anything that is
// not a regular file (a named pipe would block the program, a device would take the bytes).

#include "core/logio.h"

#include <string>
#include <string_view>

namespace logfile {

// Whether an export may be written to `target`.
struct ExportTarget {
    enum class Result { Ok, NotRegular, CurrentLog, OtherLog, Failed } result = Result::Failed;
    FileError error;   // NotRegular, Failed
    std::string path;  // Ok: where to write (a symbolic link's target); may not exist yet
};
// `currentLog` may be empty when no log is current. Never opens anything but a regular file, and
// that without blocking.
ExportTarget checkExportTarget(const std::string &target, const std::string &currentLog);

// A temporary file in the target's folder, made with O_EXCL under a short name of our own, that
// replaces the target on commit() and is removed otherwise. A library that writes by file name
// (a workbook writer) writes to tempPath().
class FileReplacement {
public:
    FileReplacement() = default;
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement() { discard(); }

    // Checks the target as checkExportTarget does and makes the temporary file. A refused target
    // gives its reason in `refused`.
    FileError create(const std::string &target, const std::string &currentLog, ExportTarget &refused);
    int fd() const { return fd_.get(); }
    const std::string &tempPath() const { return tempPath_; }
    const std::string &targetPath() const { return target_; }
    // Checks the target again (it may have changed meanwhile), flushes the temporary file, renames
    // it over the target and flushes the folder. The temporary file is gone afterwards either way.
    FileError commit(ExportTarget &refused);
    // Removes the temporary file.
    void discard();

private:
    std::string target_;
    std::string currentLog_;
    std::string tempPath_;
    UniqueFd fd_;
    mode_t keepMode_ = 0;  // the replaced file's permissions, 0 for a new file
};

// The whole of `bytes` written to `target` as above.
struct ReplaceOutcome {
    ExportTarget refused;  // result not Ok: the target was refused and left alone
    FileError error;       // a failure while writing; the target is unchanged
    bool done() const { return refused.result == ExportTarget::Result::Ok && !error; }
};
ReplaceOutcome replaceFile(const std::string &target, const std::string &currentLog, std::string_view bytes);

}  // namespace logfile
