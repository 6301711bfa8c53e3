// A CFString as a std::string of UTF-8, for the C++ layers that hand texts
// on to libraries that take UTF-8 (Qt, the text form of the alerts).
#ifndef HZ_PLATFORM_COREFOUNDATION_CFSTRINGTEXT_H
#define HZ_PLATFORM_COREFOUNDATION_CFSTRINGTEXT_H

#include <string>

#include "platform/corefoundation/CoreFoundation.h"

// Empty for nil.
std::string UTF8Of(CFStringRef s);

#endif
