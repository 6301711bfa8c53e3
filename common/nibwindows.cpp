#include "common/nibwindows.h"

#include <string>

#include "common/commonprocs.h"
#include "platform/hitoolbox/HIToolbox.h"
#include "platform/text/TextUtils.h"

namespace {

CFStringRef CFStringFromC(const char* text) {
    return CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8);
}

// The plug-in's internal name; common code cannot reach the engine's constant.
constexpr char cDefaultNibName[] = "horizonfix";

}  // namespace

WindowRef OpenNibWindowFromCFBundle(const char* theBundleID, const char* theNibName,
                                    const char* theWindowName) {
    CFStringRef bundleID = CFStringFromC(theBundleID);
    Assert(bundleID, (std::string("Cannot allocate CFSTR for ") + theBundleID).c_str());
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleID);
    CFRelease(bundleID);
    Assert(bundle, (std::string("Cannot allocate bundle for ID = ") + theBundleID).c_str());
    CFRetain(bundle);

    const char* nibName = theNibName && theNibName[0] ? theNibName : cDefaultNibName;
    CFStringRef nib = CFStringFromC(nibName);
    IBNibRef nibRef = nullptr;
    const OSStatus err = CreateNibReferenceWithCFBundle(bundle, nib, &nibRef);
    CFRelease(nib);
    if (err != noErr) {
        CFRelease(bundle);
        return nullptr;
    }

    CFStringRef name = CFStringFromC(theWindowName);
    WindowRef window = nullptr;
    const OSStatus windowErr = CreateWindowFromNib(nibRef, name, &window);
    CFRelease(name);
    DisposeNibReference(nibRef);
    CFRelease(bundle);
    return windowErr == noErr ? window : nullptr;
}
