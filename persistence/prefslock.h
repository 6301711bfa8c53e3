// Held for the whole of a read-modify-write of the preferences file. Every
// save replaces the file, so two processes that each read, change and write
// back would lose one change; holding this lock from the read to the write
// puts them one after the other. Readers need no lock: they see the old file
// or the new one. Advisory (flock on a lock file beside the preferences, as
// the preferences file itself changes inode on every save).
#ifndef HZ_PERSISTENCE_PREFSLOCK_H
#define HZ_PERSISTENCE_PREFSLOCK_H

#include <string>

// How long taking the lock may wait before the notice is told.
inline constexpr int cPrefsLockPatienceMs = 1000;

class PrefsLockRec {
  public:
    // Waits for the lock. Without a preferences folder, or where the lock
    // file cannot be made, it holds nothing: the change then fails or
    // cannot clash with another.
    PrefsLockRec();
    ~PrefsLockRec();
    PrefsLockRec(const PrefsLockRec&) = delete;
    PrefsLockRec& operator=(const PrefsLockRec&) = delete;

    bool held() const { return fd_ >= 0; }

  private:
    int fd_;
};

// Where the lock lives, beside the preferences file.
std::string PrefsLockPath();

// Told when taking the lock has waited cPrefsLockPatienceMs; nothing is told
// without one. The plug-in sets none: it has nowhere to print.
typedef void (*PrefsNoticeProc)(const std::string& message);
void SetPrefsLockNotice(PrefsNoticeProc notice);

#endif
