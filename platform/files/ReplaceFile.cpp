#include "platform/files/ReplaceFile.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "platform/files/FileSpecPath.h"
#include "platform/files/Leftovers.h"

namespace {

// Linux gives up on a path after this many links.
constexpr int cMaxLinks = 40;

std::atomic<unsigned> lgTempCounter{0};

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

OSErr WriteAllBytes(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return OSErrFromErrno(errno);
        done += static_cast<size_t>(n);
    }
    return noErr;
}

std::string FollowLinks(const std::string& path) {
    std::string at = path;
    for (int hop = 0; hop < cMaxLinks; ++hop) {
        struct stat info;
        if (lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
        char target[PATH_MAX];
        const ssize_t n = readlink(at.c_str(), target, sizeof target - 1);
        if (n <= 0) return at;
        target[n] = '\0';
        at = target[0] == '/' ? std::string(target) : FolderOf(at) + "/" + target;
    }
    return path;
}

OSErr ReplaceFile(const std::string& linkPath, const std::vector<uint8_t>& bytes) {
    const std::string path = FollowLinks(linkPath);
    const std::string folder = FolderOf(path);
    std::string prefix = ".";
    prefix += NameOf(path);
    prefix += ".tmp-";
    RemoveLeftovers(folder, prefix);

    std::string tempPath;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        tempPath = folder + "/" + prefix + std::to_string(getpid()) + "-" +
                   std::to_string(lgTempCounter++);
        fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100)) return OSErrFromErrno(errno);
    }

    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        fchmod(fd, info.st_mode & 07777);
    }
    OSErr err = WriteAllBytes(fd, bytes);
    if (err == noErr && fsync(fd) != 0) err = OSErrFromErrno(errno);
    if (close(fd) != 0 && err == noErr) err = OSErrFromErrno(errno);
    if (err == noErr && rename(tempPath.c_str(), path.c_str()) != 0) err = OSErrFromErrno(errno);
    if (err != noErr) {
        unlink(tempPath.c_str());
        return err;
    }
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return noErr;
}
