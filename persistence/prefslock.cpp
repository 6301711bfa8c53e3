#include "persistence/prefslock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "persistence/prefsloader.h"
#include "platform/files/FileSpecPath.h"

namespace {

PrefsNoticeProc lgNotice = nullptr;

bool TryLock(int fd) {
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace

std::string PrefsLockPath() {
    return PreferencesFolderPath() + "/." + cProductCode + cPrefName + ".lock";
}

PrefsLockRec::PrefsLockRec() : fd_(-1) {
    if (PreferencesFolderPath().empty()) return;
    // O_NOFOLLOW: the lock file is ours alone, never a link someone left.
    const int fd = open(PrefsLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point giveNotice =
        Clock::now() + std::chrono::milliseconds(cPrefsLockPatienceMs);
    while (!TryLock(fd)) {
        if (errno != EWOULDBLOCK) {
            close(fd);
            return;
        }
        if (Clock::now() >= giveNotice) {
            if (lgNotice)
                lgNotice("waiting for another program to finish changing " + PrefsFilePath());
            int err;
            while ((err = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
            }
            if (err != 0) {
                close(fd);
                return;
            }
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    fd_ = fd;
}

PrefsLockRec::~PrefsLockRec() {
    // Closing the only descriptor of the open file releases the lock.
    if (fd_ >= 0) close(fd_);
}

void SetPrefsLockNotice(PrefsNoticeProc notice) { lgNotice = notice; }
