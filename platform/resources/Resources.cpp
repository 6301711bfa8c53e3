#include "platform/resources/Resources.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/files/FileSpecPath.h"
#include "platform/files/Files.h"
#include "platform/files/ReplaceFile.h"
#include "platform/memory/MacMemory.h"
#include "platform/resources/ResourceFork.h"

namespace {

// 'STR#'
constexpr ResType cStringListType = 0x53545223;
// Anything larger is not a resource file this plug-in could have written;
// refusing it spares reading a huge file into memory.
constexpr off_t cMaxFileLength = off_t(64) << 20;

struct ResourceRec {
    ResourceEntryRec entry;
    // Set while the caller holds the data; the map keeps ownership.
    Handle handle;
    // The handle's contents are to be written in place of entry.data.
    bool changed;
};

struct ResFileRec {
    int16_t refNum;
    std::string path;
    bool writable;
    bool dirty;
    std::vector<ResourceRec> resources;
};

std::mutex lgLock;
// The first file opened comes first; searches run from the current file
// towards the front.
std::vector<ResFileRec> lgChain;
int16_t lgCurrent = 0;
int16_t lgLastRefNum = 0;
thread_local OSErr lgResError = noErr;

OSErr SetResError(OSErr err) {
    lgResError = err;
    return err;
}

ResFileRec* FindFile(int16_t refNum) {
    for (ResFileRec& file : lgChain) {
        if (file.refNum == refNum) return &file;
    }
    return nullptr;
}

size_t ChainIndex(int16_t refNum) {
    for (size_t i = 0; i < lgChain.size(); ++i) {
        if (lgChain[i].refNum == refNum) return i;
    }
    return lgChain.size();
}

struct ResourceLocationRec {
    ResFileRec* file;
    ResourceRec* resource;
};

ResourceLocationRec FindHandle(Handle h) {
    if (h) {
        for (ResFileRec& file : lgChain) {
            for (ResourceRec& resource : file.resources) {
                if (resource.handle == h) return {&file, &resource};
            }
        }
    }
    return {nullptr, nullptr};
}

ResourceRec* FindResource(ResFileRec* file, ResType type, int16_t id) {
    for (ResourceRec& resource : file->resources) {
        if (resource.entry.type == type && resource.entry.id == id) return &resource;
    }
    return nullptr;
}

// The current file and those opened before it, nearest first.
ResourceRec* SearchChain(ResType type, int16_t id) {
    const size_t current = ChainIndex(lgCurrent);
    if (current == lgChain.size()) return nullptr;
    for (size_t i = current + 1; i-- > 0;) {
        if (ResourceRec* resource = FindResource(&lgChain[i], type, id)) return resource;
    }
    return nullptr;
}

Handle LoadResource(ResourceRec* resource) {
    if (!resource->handle) {
        const std::vector<uint8_t>& data = resource->entry.data;
        Handle h = NewHandle(static_cast<Size>(data.size()));
        if (!h) {
            SetResError(memFullErr);
            return nullptr;
        }
        if (!data.empty()) std::memcpy(*h, data.data(), data.size());
        resource->handle = h;
    }
    SetResError(noErr);
    return resource->handle;
}

std::vector<uint8_t> HandleBytes(Handle h) {
    const Size size = GetHandleSize(h);
    const auto* bytes = reinterpret_cast<const uint8_t*>(*h);
    return std::vector<uint8_t>(bytes, bytes + size);
}

OSErr ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    // A FIFO or device under the file's name must not hold the open up.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return OSErrFromErrno(errno);
    struct stat info;
    OSErr err = noErr;
    if (fstat(fd, &info) != 0) {
        err = OSErrFromErrno(errno);
    } else if (!S_ISREG(info.st_mode) || info.st_size > cMaxFileLength) {
        err = mapReadErr;
    } else {
        bytes->resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t n = read(fd, bytes->data() + done, bytes->size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                err = OSErrFromErrno(errno);
                break;
            }
            // A file that shrank since fstat is judged on what is there.
            if (n == 0) {
                bytes->resize(done);
                break;
            }
            done += static_cast<size_t>(n);
        }
    }
    close(fd);
    return err;
}

OSErr WriteFile(ResFileRec* file) {
    if (!file->dirty) return noErr;
    if (!file->writable) return wPrErr;
    try {
        std::vector<ResourceEntryRec> entries;
        entries.reserve(file->resources.size());
        for (const ResourceRec& resource : file->resources) {
            entries.push_back(resource.entry);
            entries.back().attributes &= ~resChanged;
            if (resource.changed) entries.back().data = HandleBytes(resource.handle);
        }
        std::vector<uint8_t> bytes;
        OSErr err = BuildResourceFork(entries, &bytes);
        if (err == noErr) err = ReplaceFile(file->path, bytes);
        if (err != noErr) return err;
        for (size_t i = 0; i < entries.size(); ++i) {
            file->resources[i].entry = std::move(entries[i]);
            file->resources[i].changed = false;
        }
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    file->dirty = false;
    return noErr;
}

int16_t NextRefNum() {
    do {
        lgLastRefNum = lgLastRefNum >= INT16_MAX ? 1 : int16_t(lgLastRefNum + 1);
    } while (FindFile(lgLastRefNum));
    return lgLastRefNum;
}

OSErr OpenFile(const FSSpec* fileSpec, int8_t permission, int16_t* refNum) {
    std::string path;
    OSErr err = FSSpecToPath(fileSpec, &path);
    if (err != noErr) return err;
    for (const ResFileRec& file : lgChain) {
        if (file.path == path) {
            *refNum = file.refNum;
            return noErr;
        }
    }

    const bool mayWrite = access(path.c_str(), W_OK) == 0;
    bool writable;
    switch (permission) {
        case fsCurPerm:
            writable = mayWrite;
            break;
        case fsRdPerm:
            writable = false;
            break;
        case fsWrPerm:
        case fsRdWrPerm:
            if (!mayWrite && errno != ENOENT) return permErr;
            writable = true;
            break;
        default:
            return paramErr;
    }

    std::vector<uint8_t> bytes;
    err = ReadWholeFile(path, &bytes);
    if (err != noErr) return err;
    std::vector<ResourceEntryRec> entries;
    if (!ParseResourceFork(bytes.data(), bytes.size(), &entries)) return mapReadErr;

    ResFileRec file{NextRefNum(), path, writable, false, {}};
    file.resources.reserve(entries.size());
    for (ResourceEntryRec& entry : entries) {
        file.resources.push_back({std::move(entry), nullptr, false});
    }
    lgChain.push_back(std::move(file));
    lgCurrent = lgChain.back().refNum;
    *refNum = lgCurrent;
    return noErr;
}

}  // namespace

void FSpCreateResFile(const FSSpec* fileSpec, OSType, OSType, int16_t) {
    std::lock_guard<std::mutex> lock(lgLock);
    std::string linkPath;
    OSErr err = FSSpecToPath(fileSpec, &linkPath);
    if (err != noErr) {
        SetResError(err);
        return;
    }
    // A link to a file not made yet is made through, as a save writes through.
    const std::string path = FollowLinks(linkPath);
    std::vector<uint8_t> bytes;
    err = BuildResourceFork({}, &bytes);
    if (err != noErr) {
        SetResError(err);
        return;
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetResError(errno == EEXIST ? OSErr(dupFNErr) : OSErrFromErrno(errno));
        return;
    }
    err = WriteAllBytes(fd, bytes);
    if (err == noErr && fsync(fd) != 0) err = OSErrFromErrno(errno);
    if (close(fd) != 0 && err == noErr) err = OSErrFromErrno(errno);
    // O_EXCL made the file ours, so a partial one can go without loss.
    if (err != noErr) unlink(path.c_str());
    SetResError(err);
}

int16_t FSpOpenResFile(const FSSpec* fileSpec, int8_t permission) {
    std::lock_guard<std::mutex> lock(lgLock);
    int16_t refNum = -1;
    OSErr err;
    try {
        err = OpenFile(fileSpec, permission, &refNum);
    } catch (const std::bad_alloc&) {
        err = memFullErr;
    }
    SetResError(err);
    return err == noErr ? refNum : int16_t(-1);
}

void UseResFile(int16_t refNum) {
    std::lock_guard<std::mutex> lock(lgLock);
    if (refNum != 0 && !FindFile(refNum)) {
        SetResError(resFNotFound);
        return;
    }
    lgCurrent = refNum;
    SetResError(noErr);
}

int16_t CurResFile(void) {
    std::lock_guard<std::mutex> lock(lgLock);
    SetResError(noErr);
    return lgCurrent;
}

OSErr ResError(void) { return lgResError; }

Handle Get1Resource(ResType theType, int16_t theID) {
    std::lock_guard<std::mutex> lock(lgLock);
    ResFileRec* file = FindFile(lgCurrent);
    ResourceRec* resource = file ? FindResource(file, theType, theID) : nullptr;
    if (!resource) {
        SetResError(resNotFound);
        return nullptr;
    }
    return LoadResource(resource);
}

Handle GetResource(ResType theType, int16_t theID) {
    std::lock_guard<std::mutex> lock(lgLock);
    if (ResourceRec* resource = SearchChain(theType, theID)) return LoadResource(resource);
    SetResError(resNotFound);
    return nullptr;
}

void AddResource(Handle theData, ResType theType, int16_t theID, ConstStr255Param name) {
    std::lock_guard<std::mutex> lock(lgLock);
    ResFileRec* file = FindFile(lgCurrent);
    if (!file || !theData || FindHandle(theData).file || FindResource(file, theType, theID)) {
        SetResError(addResFailed);
        return;
    }
    if (!file->writable) {
        SetResError(wPrErr);
        return;
    }
    try {
        ResourceEntryRec entry{theType, theID, name && name[0] > 0, std::string(), resChanged, {}};
        if (entry.hasName) entry.name.assign(reinterpret_cast<const char*>(name + 1), name[0]);
        file->resources.push_back({std::move(entry), theData, true});
    } catch (const std::bad_alloc&) {
        SetResError(memFullErr);
        return;
    }
    file->dirty = true;
    SetResError(noErr);
}

void RemoveResource(Handle theResource) {
    std::lock_guard<std::mutex> lock(lgLock);
    const ResourceLocationRec found = FindHandle(theResource);
    if (!found.file) {
        SetResError(rmvResFailed);
        return;
    }
    if (!found.file->writable) {
        SetResError(wPrErr);
        return;
    }
    auto& resources = found.file->resources;
    resources.erase(resources.begin() + (found.resource - resources.data()));
    found.file->dirty = true;
    SetResError(noErr);
}

void ChangedResource(Handle theResource) {
    std::lock_guard<std::mutex> lock(lgLock);
    const ResourceLocationRec found = FindHandle(theResource);
    if (!found.file) {
        SetResError(resNotFound);
        return;
    }
    if (!found.file->writable) {
        SetResError(wPrErr);
        return;
    }
    found.resource->changed = true;
    found.file->dirty = true;
    SetResError(noErr);
}

namespace {

// The resource behind theResource, if it has no changes still to be written
// (its handle is then the only copy of them); ResError says why not.
ResourceRec* UnchangedResource(Handle theResource) {
    const ResourceLocationRec found = FindHandle(theResource);
    if (!found.file) {
        SetResError(resNotFound);
        return nullptr;
    }
    if (found.resource->changed) {
        SetResError(resAttrErr);
        return nullptr;
    }
    SetResError(noErr);
    return found.resource;
}

}  // namespace

void DetachResource(Handle theResource) {
    std::lock_guard<std::mutex> lock(lgLock);
    if (ResourceRec* resource = UnchangedResource(theResource)) resource->handle = nullptr;
}

void ReleaseResource(Handle theResource) {
    std::lock_guard<std::mutex> lock(lgLock);
    if (ResourceRec* resource = UnchangedResource(theResource)) {
        DisposeHandle(resource->handle);
        resource->handle = nullptr;
    }
}

void GetResInfo(Handle theResource, int16_t* theID, ResType* theType, Str255 name) {
    std::lock_guard<std::mutex> lock(lgLock);
    const ResourceLocationRec found = FindHandle(theResource);
    if (!found.file) {
        SetResError(resNotFound);
        return;
    }
    const ResourceEntryRec& entry = found.resource->entry;
    if (theID) *theID = entry.id;
    if (theType) *theType = entry.type;
    if (name) {
        name[0] = static_cast<unsigned char>(entry.name.size());
        std::memcpy(name + 1, entry.name.data(), entry.name.size());
    }
    SetResError(noErr);
}

int16_t GetResAttrs(Handle theResource) {
    std::lock_guard<std::mutex> lock(lgLock);
    const ResourceLocationRec found = FindHandle(theResource);
    if (!found.file) {
        SetResError(resNotFound);
        return 0;
    }
    SetResError(noErr);
    const uint8_t attributes = found.resource->entry.attributes & ~resChanged;
    return found.resource->changed ? int16_t(attributes | resChanged) : int16_t(attributes);
}

void UpdateResFile(int16_t refNum) {
    std::lock_guard<std::mutex> lock(lgLock);
    ResFileRec* file = FindFile(refNum);
    SetResError(file ? WriteFile(file) : OSErr(resFNotFound));
}

void CloseResFile(int16_t refNum) {
    std::lock_guard<std::mutex> lock(lgLock);
    const size_t index = ChainIndex(refNum);
    if (index == lgChain.size()) {
        SetResError(refNum == 0 ? OSErr(noErr) : OSErr(resFNotFound));
        return;
    }
    const OSErr err = WriteFile(&lgChain[index]);
    for (ResourceRec& resource : lgChain[index].resources) DisposeHandle(resource.handle);
    lgChain.erase(lgChain.begin() + index);
    if (lgCurrent == refNum) lgCurrent = index > 0 ? lgChain[index - 1].refNum : 0;
    SetResError(err);
}

void GetIndString(Str255 theString, int16_t strListID, int16_t index) {
    std::lock_guard<std::mutex> lock(lgLock);
    theString[0] = 0;
    const ResourceRec* list = SearchChain(cStringListType, strListID);
    if (!list) {
        SetResError(resNotFound);
        return;
    }
    const uint8_t* bytes = list->entry.data.data();
    size_t length = list->entry.data.size();
    if (list->handle) {
        bytes = reinterpret_cast<const uint8_t*>(*list->handle);
        length = static_cast<size_t>(GetHandleSize(list->handle));
    }
    SetResError(noErr);
    if (length < 2 || index < 1) return;
    const int count = (bytes[0] << 8) | bytes[1];
    if (index > count) return;
    size_t pos = 2;
    for (int item = 1; pos < length; ++item) {
        const size_t itemLength = bytes[pos];
        if (itemLength > length - pos - 1) return;
        if (item == index) {
            theString[0] = static_cast<unsigned char>(itemLength);
            std::memcpy(theString + 1, bytes + pos + 1, itemLength);
            return;
        }
        pos += 1 + itemLength;
    }
}
