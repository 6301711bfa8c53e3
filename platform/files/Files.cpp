#include "platform/files/Files.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/FileSpecPath.h"

namespace {

// Every folder lives on one volume; its number only has to differ from the
// special values callers pass in.
constexpr int16_t cVolumeRefNum = -100;
// Low directory IDs mean the root and its parent on the original platform.
constexpr int32_t cFirstDirID = 100;
constexpr size_t cMaxNameLength = 63;

struct FolderRec {
    int32_t dirID;
    std::string path;
};

std::mutex lgFolderLock;
std::vector<FolderRec> lgFolders;

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

int32_t RegisterFolder(const std::string& rawPath) {
    const std::string path = WithoutTrailingSlashes(rawPath);
    std::lock_guard<std::mutex> lock(lgFolderLock);
    for (const FolderRec& folder : lgFolders) {
        if (folder.path == path) return folder.dirID;
    }
    const int32_t dirID = cFirstDirID + static_cast<int32_t>(lgFolders.size());
    lgFolders.push_back({dirID, path});
    return dirID;
}

bool LookUpFolder(int16_t vRefNum, int32_t dirID, std::string* path) {
    if (vRefNum != cVolumeRefNum) return false;
    std::lock_guard<std::mutex> lock(lgFolderLock);
    for (const FolderRec& folder : lgFolders) {
        if (folder.dirID == dirID) {
            *path = folder.path;
            return true;
        }
    }
    return false;
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Names are single path components; anything that could climb out of the
// folder or be cut short by the C library is refused.
bool IsValidName(const unsigned char* name, size_t length) {
    if (length == 0 || length > cMaxNameLength) return false;
    if (std::memchr(name, '/', length) || std::memchr(name, '\0', length)) return false;
    if (length == 1 && name[0] == '.') return false;
    if (length == 2 && name[0] == '.' && name[1] == '.') return false;
    return true;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string_view NameView(const unsigned char* name, size_t length) {
    return std::string_view(reinterpret_cast<const char*>(name), length);
}

// 0700 as the XDG rules ask for the base folders; parents are made the same
// way, as `mkdir -p` would.
OSErr CreateFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return OSErrFromErrno(errno);
        }
        if (slash == std::string::npos) break;
    }
    return IsDirectory(path) ? OSErr(noErr) : OSErr(dirNFErr);
}

OSErr FillSpec(int16_t vRefNum, int32_t dirID, const std::string& folder, const unsigned char* name,
               size_t length, FSSpec* fileSpec) {
    if (!IsDirectory(folder)) return dirNFErr;
    if (!IsValidName(name, length)) return bdNamErr;
    std::memset(fileSpec, 0, sizeof(*fileSpec));
    fileSpec->vRefNum = vRefNum;
    fileSpec->parID = dirID;
    fileSpec->name[0] = static_cast<unsigned char>(length);
    std::memcpy(fileSpec->name + 1, name, length);

    struct stat info;
    if (stat(JoinPath(folder, NameView(name, length)).c_str(), &info) == 0) return noErr;
    return errno == ENOENT ? OSErr(fnfErr) : OSErrFromErrno(errno);
}

}  // namespace

OSErr OSErrFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return fnfErr;
        case ENOTDIR:
            return dirNFErr;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return dskFulErr;
        case EACCES:
        case EPERM:
            return permErr;
        case EROFS:
            return wPrErr;
        case ENAMETOOLONG:
            return bdNamErr;
        case ENOMEM:
            return memFullErr;
        default:
            return ioErr;
    }
}

std::string PreferencesFolderPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // Relative values are to be ignored, as the XDG base directory rules say.
    if (config && config[0] == '/') return WithoutTrailingSlashes(config);
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) return std::string();
    return JoinPath(WithoutTrailingSlashes(home), ".config");
}

OSErr FindFolder(int16_t vRefNum, OSType folderType, Boolean createFolder, int16_t* foundVRefNum,
                 int32_t* foundDirID) {
    if (!foundVRefNum || !foundDirID) return paramErr;
    if (vRefNum != kOnSystemDisk && vRefNum != kOnAppropriateDisk) return nsvErr;
    if (folderType != kPreferencesFolderType) return paramErr;

    const std::string path = PreferencesFolderPath();
    if (path.empty()) return fnfErr;
    if (!IsDirectory(path)) {
        if (!createFolder) return fnfErr;
        const OSErr err = CreateFolders(path);
        if (err != noErr) return err;
    }
    *foundVRefNum = cVolumeRefNum;
    *foundDirID = RegisterFolder(path);
    return noErr;
}

OSErr FSMakeFSSpec(int16_t vRefNum, int32_t dirID, ConstStr255Param fileName, FSSpec* fileSpec) {
    if (!fileName || !fileSpec) return paramErr;
    std::string folder;
    if (!LookUpFolder(vRefNum, dirID, &folder)) return dirNFErr;
    return FillSpec(vRefNum, dirID, folder, fileName + 1, fileName[0], fileSpec);
}

OSErr FSSpecToPath(const FSSpec* fileSpec, std::string* path) {
    if (!fileSpec || !path) return paramErr;
    std::string folder;
    if (!LookUpFolder(fileSpec->vRefNum, fileSpec->parID, &folder)) return dirNFErr;
    if (!IsValidName(fileSpec->name + 1, fileSpec->name[0])) return bdNamErr;
    *path = JoinPath(folder, NameView(fileSpec->name + 1, fileSpec->name[0]));
    return noErr;
}

OSErr PathToFSSpec(const std::string& path, FSSpec* fileSpec) {
    if (!fileSpec) return paramErr;
    const std::string trimmed = WithoutTrailingSlashes(path);
    const size_t slash = trimmed.rfind('/');
    std::string folder;
    if (slash == std::string::npos) {
        folder = ".";
    } else {
        folder = slash == 0 ? std::string("/") : trimmed.substr(0, slash);
    }
    // Relative folders are pinned now, so a later chdir cannot move the file.
    if (folder[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        if (!cwd) return OSErrFromErrno(errno);
        folder = folder == "." ? std::string(cwd) : JoinPath(cwd, folder);
        std::free(cwd);
    }
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (!IsDirectory(folder)) return dirNFErr;
    return FillSpec(cVolumeRefNum, RegisterFolder(folder), folder,
                    reinterpret_cast<const unsigned char*>(name.data()), name.size(), fileSpec);
}
