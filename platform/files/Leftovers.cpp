#include "platform/files/Leftovers.h"

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

bool ProcessIsGone(long pid) { return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

// Whether `name` is `prefix` and the ID of another process that is gone.
bool LeftByGoneProcess(const char* name, const std::string& prefix) {
    if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0) return false;
    const char* digits = name + prefix.size();
    if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(digits, &end, 10);
    return errno == 0 && pid > 0 && pid != getpid() && ProcessIsGone(pid);
}

// Calls remove(path, info) for each entry of `folder` left by a gone process.
template <typename Remove>
void ForEachLeftover(const std::string& folder, const std::string& prefix, Remove remove) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        if (!LeftByGoneProcess(entry->d_name, prefix)) continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat info;
        if (lstat(path.c_str(), &info) == 0) remove(path, info);
    }
    closedir(dir);
}

}  // namespace

void RemoveLeftovers(const std::string& folder, const std::string& prefix) {
    // Only plain files: a folder or link that happens to match is not ours.
    ForEachLeftover(folder, prefix, [](const std::string& path, const struct stat& info) {
        if (S_ISREG(info.st_mode)) unlink(path.c_str());
    });
}

void RemoveLeftoverFolders(const std::string& folder, const std::string& prefix) {
    // In a folder every user shares, a matching name may be someone else's.
    ForEachLeftover(folder, prefix, [](const std::string& path, const struct stat& info) {
        if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return;
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    });
}
