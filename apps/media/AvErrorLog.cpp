#include "apps/media/AvErrorLog.h"

#include <cstdarg>
#include <cstdio>

#include "apps/media/LibAv.h"

extern "C" {
#include <libavutil/log.h>
}

namespace media {

namespace {

std::string lgLastError;

void Keep(void*, int level, const char* format, va_list args) {
    if (level > AV_LOG_ERROR) return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    std::string message(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    if (!message.empty()) lgLastError = message;
}

}  // namespace

AvErrorLog::AvErrorLog() {
    lgLastError.clear();
    av_log_set_callback(Keep);
}

AvErrorLog::~AvErrorLog() { av_log_set_callback(av_log_default_callback); }

std::string AvErrorLog::Explain(int err) const {
    return lgLastError.empty() ? AvErrorText(err) : lgLastError;
}

}  // namespace media
