// The common header of every object of this layer, so that CFRetain and
// CFRelease work on any of them.
#ifndef HZ_PLATFORM_COREFOUNDATION_CFOBJECT_H
#define HZ_PLATFORM_COREFOUNDATION_CFOBJECT_H

#include <atomic>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"

namespace corefoundation {

struct Object {
    explicit Object(int kind_) : kind(kind_) {}
    virtual ~Object() = default;
    std::atomic<int> refCount{1};
    int kind;
};

enum { kStringKind = 1, kURLKind = 2, kBundleKind = 3 };

std::string MacRomanToUTF8(const unsigned char* bytes, size_t length);

}  // namespace corefoundation

struct __CFString : corefoundation::Object {
    __CFString(std::string utf8_, CFIndex length_)
        : Object(corefoundation::kStringKind), utf8(std::move(utf8_)), length(length_) {}
    std::string utf8;
    CFIndex length;
};

struct __CFURL : corefoundation::Object {
    explicit __CFURL(std::string path_)
        : Object(corefoundation::kURLKind), path(std::move(path_)) {}
    std::string path;
};

#endif
