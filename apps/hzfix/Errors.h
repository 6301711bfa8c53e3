// hzfix's exit statuses, one per kind of failure, and the failures that
// are not input or output errors (those come from apps/media).
#ifndef HZ_APPS_HZFIX_ERRORS_H
#define HZ_APPS_HZFIX_ERRORS_H

#include <stdexcept>
#include <string>

#include "host/HYPlugin.h"

namespace hzfix {

enum ExitStatus {
    kExitOk = 0,
    kExitUsage = 1,
    kExitPluginLoad = 2,
    kExitInput = 3,
    kExitOutput = 4,
    kExitPluginFailed = 5,
    kExitCancelled = 6,
    kExitInterrupted = 130,
};

struct PluginLoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The plug-in answered a request with something other than kPluginOK.
struct PluginFailure : std::runtime_error {
    PluginFailure(const std::string& request, HYPluginResult result);
    HYPluginResult result;
};

// The saved settings could not be read (status kExitInput) or written
// (kExitOutput).
struct SettingsError : std::runtime_error {
    SettingsError(const std::string& message, bool writing)
        : std::runtime_error(message), writing(writing) {}
    bool writing;
};

struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};

// "hzfix: warning: ..." on stderr, for warnings before a progress line
// exists.
void PrintWarning(const std::string& message);

// "kPluginOutOfMemory (4)" for a result code.
std::string ResultName(int result);

}  // namespace hzfix

#endif
