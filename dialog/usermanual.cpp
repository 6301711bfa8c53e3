#include "dialog/usermanual.h"

#include <QDesktopServices>
#include <QUrl>
#include <string>

#include "common/ProductNames.h"
#include "common/commonprocs.h"
#include "record/PluginData.h"

namespace {

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
    if (CFURLGetFileSystemRepresentation(url, true, path, sizeof path)) {
        const char* file = reinterpret_cast<const char*>(path);
        // The desktop says only whether it could open the file at all; an
        // error number would tell the user nothing, where the file is does.
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(file))))
            Notify((std::string("No program here opens PDF files. The manual is ") + file).c_str());
    }
    CFRelease(url);
}
