// hzfix: runs the Horizon Fix plug-in over video files from the command line.
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/media/LibAv.h"

namespace {

std::atomic<bool> gInterrupted{false};
volatile sig_atomic_t gSignal = 0;

void OnSignal(int sig) {
    gSignal = sig;
    gInterrupted.store(true);
}

const char kHelp[] =
    "usage: hzfix [--plugin BUNDLE] [-v] COMMAND ...\n"
    "Runs the Horizon Fix effect over video files.\n"
    "\n"
    "commands:\n"
    "  info                        what the plug-in says about itself\n"
    "  render IN OUT [options]     apply the effect to a whole clip or part of it\n"
    "  thumbnail IN OUT.png        the plug-in's placeholder picture of a clip\n"
    "  settings show|set|reset     the settings the effect starts from\n"
    "  configure CLIP [--at TIME]  set them in the effect's dialog, on CLIP's frames\n"
    "  COMMAND --help              the options of one command\n"
    "\n"
    "options:\n"
    "  --plugin BUNDLE   the plug-in bundle folder (default: HorizonFix.bundle beside hzfix)\n"
    "  -v                pass on FFmpeg's own warnings\n"
    "  --help, --version\n"
    "\n"
    "Results go to stdout; progress, warnings and errors to stderr.\n"
    "exit status:\n"
    "  0    done\n"
    "  1    wrong usage: unknown option, malformed or out-of-range value\n"
    "  2    the plug-in could not be loaded\n"
    "  3    the input could not be read (missing, not a video, no frames, damaged)\n"
    "  4    the output could not be written (exists, not writable, disk full)\n"
    "  5    the plug-in failed a request\n"
    "  130  interrupted (Ctrl-C; 143 for SIGTERM): nothing is left behind\n";

std::string BesideExecutable(const char* name) {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return name;
    self[n] = '\0';
    std::string path(self);
    return path.substr(0, path.find_last_of('/') + 1) + name;
}

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "hzfix: error: %s\n", message.c_str());
    if (status == hzfix::kExitUsage) std::fprintf(stderr, "(hzfix --help lists the commands)\n");
    return status;
}

}  // namespace

namespace hzfix {

std::unique_ptr<pluginhost::LoadedPlugin> Context::LoadPlugin() const {
    std::string error;
    auto plugin = pluginhost::LoadedPlugin::Load(bundleDir, &error);
    if (!plugin) throw PluginLoadError(error);
    return plugin;
}

}  // namespace hzfix

int main(int argc, char** argv) {
    using namespace hzfix;
    std::vector<std::string> words(argv + 1, argv + argc);
    Context context;
    context.bundleDir = BesideExecutable("HorizonFix.bundle");
    context.interrupt = &gInterrupted;
    av_log_set_level(AV_LOG_QUIET);

    size_t at = 0;
    for (; at < words.size() && words[at].size() > 1 && words[at][0] == '-'; ++at) {
        const std::string& w = words[at];
        if (w == "--help" || w == "-h") {
            std::fputs(kHelp, stdout);
            return kExitOk;
        }
        if (w == "--version") {
            std::printf("hzfix 3.0.0\n");
            return kExitOk;
        }
        if (w == "-v") {
            av_log_set_level(AV_LOG_WARNING);
        } else if (w == "--plugin") {
            if (++at >= words.size()) return Fail(kExitUsage, "--plugin needs a bundle folder");
            context.bundleDir = words[at];
        } else if (w.rfind("--plugin=", 0) == 0) {
            context.bundleDir = w.substr(9);
        } else {
            return Fail(kExitUsage, "unknown option " + w);
        }
    }
    if (at >= words.size()) return Fail(kExitUsage, "no command given");
    const std::string command = words[at];
    std::vector<std::string> rest(words.begin() + at + 1, words.end());
    for (const std::string& w : rest) {
        if (w != "--help" && w != "-h") continue;
        if (command == "render")
            std::fputs(RenderHelp().c_str(), stdout);
        else if (command == "thumbnail")
            std::fputs(ThumbnailHelp().c_str(), stdout);
        else if (command == "settings")
            std::fputs(SettingsHelp().c_str(), stdout);
        else if (command == "configure")
            std::fputs(ConfigureHelp().c_str(), stdout);
        else
            std::fputs(kHelp, stdout);
        return kExitOk;
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    // A second Ctrl-C ends the process at once.
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A file-size limit must show as a write error, not end the process.
    signal(SIGXFSZ, SIG_IGN);

    try {
        if (command == "info") return RunInfo(context, rest);
        if (command == "render") return RunRender(context, rest);
        if (command == "thumbnail") return RunThumbnail(context, rest);
        if (command == "settings") return RunSettings(context, rest);
        if (command == "configure") return RunConfigure(context, rest);
        return Fail(kExitUsage, "unknown command '" + command + "'");
    } catch (const UsageError& e) {
        return Fail(kExitUsage, e.what());
    } catch (const PluginLoadError& e) {
        return Fail(kExitPluginLoad, e.what());
    } catch (const Interrupted&) {
        return Fail(128 + (gSignal ? gSignal : SIGINT), "interrupted; nothing was written");
    } catch (const media::InputError& e) {
        if (gInterrupted) return Fail(128 + gSignal, "interrupted; nothing was written");
        return Fail(kExitInput, e.what());
    } catch (const media::OutputError& e) {
        return Fail(kExitOutput, e.what());
    } catch (const SettingsError& e) {
        return Fail(e.writing ? kExitOutput : kExitInput, e.what());
    } catch (const PluginFailure& e) {
        return Fail(kExitPluginFailed, e.what());
    } catch (const std::bad_alloc&) {
        return Fail(kExitOutput, "out of memory");
    }
}
