#include <cstring>
#include <new>

#include "platform/corefoundation/CFObject.h"
#include "platform/corefoundation/CFStringText.h"

namespace {

// Mac OS Roman 0x80..0xFF (0xDB is the euro sign, as in current systems).
constexpr uint16_t cMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

void AppendUTF8(std::string* out, uint32_t c) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Characters in well-formed UTF-8: every byte that does not continue one.
CFIndex CountUTF8Characters(const std::string& s) {
    CFIndex n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

CFStringRef MakeString(std::string utf8) {
    const CFIndex length = CountUTF8Characters(utf8);
    return new (std::nothrow) __CFString(std::move(utf8), length);
}

}  // namespace

namespace corefoundation {

std::string MacRomanToUTF8(const unsigned char* bytes, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const unsigned char b = bytes[i];
        AppendUTF8(&out, b < 0x80 ? b : cMacRomanHigh[b - 0x80]);
    }
    return out;
}

}  // namespace corefoundation

CFTypeRef CFRetain(CFTypeRef cf) {
    if (cf)
        const_cast<corefoundation::Object*>(static_cast<const corefoundation::Object*>(cf))
            ->refCount.fetch_add(1);
    return cf;
}

void CFRelease(CFTypeRef cf) {
    if (!cf) return;
    auto* object =
        const_cast<corefoundation::Object*>(static_cast<const corefoundation::Object*>(cf));
    if (object->refCount.fetch_sub(1) == 1) delete object;
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr,
                                           CFStringEncoding encoding) {
    if (!pStr || encoding != kCFStringEncodingMacRoman) return nullptr;
    return MakeString(corefoundation::MacRomanToUTF8(pStr + 1, pStr[0]));
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
    if (!cStr) return nullptr;
    if (encoding == kCFStringEncodingUTF8) return MakeString(cStr);
    if (encoding == kCFStringEncodingMacRoman) {
        return MakeString(corefoundation::MacRomanToUTF8(
            reinterpret_cast<const unsigned char*>(cStr), std::strlen(cStr)));
    }
    return nullptr;
}

CFIndex CFStringGetLength(CFStringRef theString) { return theString ? theString->length : 0; }

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
    if (!theString || !buffer || encoding != kCFStringEncodingUTF8) return false;
    if (static_cast<size_t>(bufferSize) <= theString->utf8.size()) return false;
    std::memcpy(buffer, theString->utf8.c_str(), theString->utf8.size() + 1);
    return true;
}

std::string UTF8Of(CFStringRef s) { return s ? s->utf8 : std::string(); }
