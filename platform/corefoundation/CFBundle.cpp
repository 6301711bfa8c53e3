#include <dlfcn.h>
#include <sys/stat.h>

#include <fstream>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "platform/corefoundation/CFObject.h"

struct __CFBundle : corefoundation::Object {
    __CFBundle(std::string path_, std::string identifier_, std::string executable_)
        : Object(corefoundation::kBundleKind),
          path(std::move(path_)),
          identifier(std::move(identifier_)),
          executable(std::move(executable_)) {}
    std::string path;
    std::string identifier;
    std::string executable;
    CFStringRef identifierString = nullptr;
};

namespace {

// Bundles stay loaded until this layer itself goes (the process ends, or
// the library holding this copy of it is unloaded).
struct BundleRegistry {
    ~BundleRegistry() {
        for (__CFBundle* b : bundles) {
            if (b->identifierString) CFRelease(b->identifierString);
            CFRelease(b);
        }
    }
    std::vector<__CFBundle*> bundles;
};

std::vector<__CFBundle*>& LoadedBundles() {
    static BundleRegistry registry;
    return registry.bundles;
}
std::mutex lgBundlesLock;

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Dirname(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The text of <string> that follows <key>KEY</key>; enough of the property
// list format for the identity file a bundle carries.
std::string PlistString(const std::string& plist, const std::string& key) {
    const size_t at = plist.find("<key>" + key + "</key>");
    if (at == std::string::npos) return {};
    const size_t open = plist.find("<string>", at);
    const size_t close = plist.find("</string>", open);
    if (open == std::string::npos || close == std::string::npos) return {};
    return plist.substr(open + 8, close - open - 8);
}

__CFBundle* OpenBundleAt(const std::string& path) {
    std::ifstream in(path + "/Contents/Info.plist");
    if (!in) return nullptr;
    std::stringstream text;
    text << in.rdbuf();
    std::string identifier = PlistString(text.str(), "CFBundleIdentifier");
    if (identifier.empty()) return nullptr;
    return new (std::nothrow)
        __CFBundle(path, std::move(identifier), PlistString(text.str(), "CFBundleExecutable"));
}

__CFBundle* FindLoaded(const std::string& identifier, const std::string& path) {
    for (__CFBundle* b : LoadedBundles()) {
        if ((!identifier.empty() && b->identifier == identifier) ||
            (!path.empty() && b->path == path))
            return b;
    }
    return nullptr;
}

// The bundle whose library holds this code: BUNDLE/Contents/Linux/LIB.so.
void DiscoverOwnBundle() {
    static bool discovered = false;
    if (discovered) return;
    discovered = true;
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&DiscoverOwnBundle), &info) || !info.dli_fname) return;
    const std::string linuxDir = Dirname(info.dli_fname);
    const std::string contents = Dirname(linuxDir);
    const std::string bundle = Dirname(contents);
    if (contents.size() < 9 || contents.substr(contents.size() - 9) != "/Contents") return;
    if (FindLoaded({}, bundle)) return;
    if (__CFBundle* b = OpenBundleAt(bundle)) LoadedBundles().push_back(b);
}

}  // namespace

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
    if (!bundleID) return nullptr;
    std::lock_guard<std::mutex> lock(lgBundlesLock);
    DiscoverOwnBundle();
    return FindLoaded(bundleID->utf8, {});
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
    if (!bundleURL || !IsDirectory(bundleURL->path)) return nullptr;
    std::lock_guard<std::mutex> lock(lgBundlesLock);
    __CFBundle* b = FindLoaded({}, bundleURL->path);
    if (!b) {
        b = OpenBundleAt(bundleURL->path);
        if (!b) return nullptr;
        LoadedBundles().push_back(b);
    }
    CFRetain(b);
    return b;
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const uint8_t* buffer,
                                                 CFIndex bufLen, Boolean) {
    if (!buffer || bufLen < 0) return nullptr;
    std::string path(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return new (std::nothrow) __CFURL(std::move(path));
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, uint8_t* buffer,
                                         CFIndex maxBufLen) {
    if (!url || !buffer || static_cast<size_t>(maxBufLen) <= url->path.size()) return false;
    std::copy(url->path.begin(), url->path.end(), buffer);
    buffer[url->path.size()] = 0;
    return true;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
    return bundle ? new (std::nothrow) __CFURL(bundle->path) : nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
    if (!bundle) return nullptr;
    std::lock_guard<std::mutex> lock(lgBundlesLock);
    if (!bundle->identifierString)
        bundle->identifierString =
            CFStringCreateWithCString(nullptr, bundle->identifier.c_str(), kCFStringEncodingUTF8);
    return bundle->identifierString;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName) {
    if (!bundle || !resourceName) return nullptr;
    std::string path = bundle->path + "/Contents/Resources/";
    if (subDirName) path += subDirName->utf8 + "/";
    path += resourceName->utf8;
    if (resourceType && !resourceType->utf8.empty()) path += "." + resourceType->utf8;
    return IsFile(path) ? new (std::nothrow) __CFURL(path) : nullptr;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
    if (!bundle || bundle->executable.empty()) return nullptr;
    return new (std::nothrow) __CFURL(bundle->path + "/Contents/Linux/" + bundle->executable);
}
