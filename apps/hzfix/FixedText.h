// Numbers in what hzfix prints: a fixed count of decimals, whatever the
// locale, so the summaries read the same everywhere.
#ifndef HZ_APPS_HZFIX_FIXEDTEXT_H
#define HZ_APPS_HZFIX_FIXEDTEXT_H

#include <cstdio>
#include <string>

namespace hzfix {

inline std::string Fixed(double v, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

}  // namespace hzfix

#endif
