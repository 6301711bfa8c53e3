#include "dialog/usermanual.h"

#include <QDesktopServices>
#include <QUrl>
#include <string>

#include "common/commonprocs.h"
#include "engine/PluginData.h"

namespace {

// What the desktop gives back is only whether it could open the file at
// all, so every refusal reads as the one Launch Services gives when no
// application takes the file.
constexpr int32_t kLSApplicationNotFoundErr = -10814;

CFStringRef CFStringFromC(const char* text) {
    return CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8);
}

}  // namespace

void OpenManual() {
    CFStringRef bundleID = CFStringFromC(cMyBundleID);
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleID);
    CFRelease(bundleID);
    // Without the bundle there is nowhere to look for the manual.
    if (!bundle) {
        Notify("Cannot Locate Bundle. Proceed with caution. Crash imminent");
        return;
    }
    CFStringRef name = CFStringFromC("manual");
    CFStringRef type = CFStringFromC("pdf");
    CFURLRef url = CFBundleCopyResourceURL(bundle, name, type, nullptr);
    CFRelease(name);
    CFRelease(type);
    if (!url) {
        Notify("Cannot locate manual in bundle");
        return;
    }
    uint8_t path[4096];
    if (CFURLGetFileSystemRepresentation(url, true, path, sizeof path) &&
        !QDesktopServices::openUrl(
            QUrl::fromLocalFile(QString::fromUtf8(reinterpret_cast<const char*>(path))))) {
        Notify(("LSOpen failed with " + std::to_string(kLSApplicationNotFoundErr)).c_str());
    }
    CFRelease(url);
}
