#include "apps/media/OutputPath.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "apps/media/LibAv.h"
#include "platform/files/Leftovers.h"

namespace media {

namespace {

std::string Basename(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Dirname(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// One process may write several files for one output at once (a pass that
// reads another back); each needs a name of its own.
std::atomic<unsigned> lgTemporaryCount{0};

}  // namespace

OutputPath::OutputPath(std::string path, bool overwrite)
    : path_(std::move(path)), overwrite_(overwrite) {
    struct stat st;
    if (stat(path_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) throw OutputError(path_ + " is a folder");
        if (!overwrite_) throw OutputError(path_ + " exists; pass -y to replace it");
    }
    // The extension stays last so anything that looks at the name still
    // sees the container the user chose.
    std::string base = Basename(path_);
    auto dot = base.find_last_of('.');
    std::string stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
    std::string ext = dot == std::string::npos || dot == 0 ? "" : base.substr(dot);
    std::string dir = Dirname(path_);
    const std::string prefix = "." + stem + ".part-";
    RemoveLeftovers(dir, prefix);
    temporary_ = (dir == "/" ? "" : dir) + "/" + prefix + std::to_string(getpid()) + "-" +
                 std::to_string(lgTemporaryCount++) + ext;
}

OutputPath::~OutputPath() { Discard(); }

void OutputPath::Discard() {
    if (done_) return;
    unlink(temporary_.c_str());
    done_ = true;
}

void OutputPath::Commit() {
    int err = overwrite_ ? rename(temporary_.c_str(), path_.c_str())
                         : renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(),
                                     RENAME_NOREPLACE);
    if (err != 0) {
        std::string why =
            errno == EEXIST ? "it appeared while working; kept it" : std::string(strerror(errno));
        Discard();
        throw OutputError("cannot write " + path_ + ": " + why);
    }
    done_ = true;
}

}  // namespace media
