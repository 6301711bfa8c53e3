#include "common/ProductNames.h"
#include "host/EffectData.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/files/FileSpecPath.h"
#include "platform/resources/Resources.h"
#include "record/PluginData.h"

namespace {
constexpr char cResourceFileName[] = "HorizonFix";
constexpr char cResourceFileType[] = "rsrc";
int16_t lgBundleResFile = -1;
}  // namespace

// A host of the original platform opened a plug-in's resources when it
// loaded it; here the plug-in opens its own, once, and keeps them open
// (read-only) for as long as it is loaded. Without them the texts are empty.
void OpenBundleResources() {
    CFStringRef bundleID = CFStringCreateWithCString(nullptr, cMyBundleID, kCFStringEncodingUTF8);
    CFStringRef name = CFStringCreateWithCString(nullptr, cResourceFileName, kCFStringEncodingUTF8);
    CFStringRef type = CFStringCreateWithCString(nullptr, cResourceFileType, kCFStringEncodingUTF8);
    CFURLRef url =
        CFBundleCopyResourceURL(CFBundleGetBundleWithIdentifier(bundleID), name, type, nullptr);
    uint8_t path[4096];
    FSSpec fileSpec;
    if (url && CFURLGetFileSystemRepresentation(url, true, path, sizeof path) &&
        PathToFSSpec(reinterpret_cast<const char*>(path), &fileSpec) == noErr) {
        lgBundleResFile = FSpOpenResFile(&fileSpec, fsRdPerm);
    }
    for (CFTypeRef object : {CFTypeRef(url), CFTypeRef(type), CFTypeRef(name), CFTypeRef(bundleID)})
        if (object) CFRelease(object);
}

void CloseBundleResources() {
    if (lgBundleResFile != -1) CloseResFile(lgBundleResFile);
    lgBundleResFile = -1;
}
