// hzfix: runs the Horizon Fix plug-in over video files from the command line.
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/media/LibAv.h"
#include "apps/media/VideoEncoderChoice.h"
#include "persistence/prefsloader.h"

namespace {

std::atomic<bool> gInterrupted{false};
volatile sig_atomic_t gSignal = 0;

void OnSignal(int sig) {
    gSignal = sig;
    gInterrupted.store(true);
}

const char kOptionsHelp[] =
    "options:\n"
    "  --plugin BUNDLE   the plug-in bundle folder (default: $HZFIX_PLUGIN, else the bundle\n"
    "                    beside hzfix or installed with it)\n"
    "  -v                pass on FFmpeg's own warnings\n"
    "  --help, --version\n"
    "\n"
    "Results go to stdout; progress, warnings and errors to stderr.\n";

const char kStatusHelp[] =
    "exit status:\n"
    "  0    done\n"
    "  1    wrong usage: unknown option, malformed or out-of-range value\n"
    "  2    the plug-in could not be loaded\n"
    "  3    the input could not be read (missing, not a video, no frames, damaged)\n"
    "  4    the output could not be written (exists, not writable, disk full)\n"
    "  5    the plug-in failed a request\n"
    "  6    the settings dialog (configure) was cancelled: nothing was saved\n"
    "  130  interrupted (Ctrl-C; 143 for SIGTERM): nothing is left behind\n";

// For the manual page only: the help says these where they matter.
std::string FilesHelp() {
    const std::string prefs = std::string(cProductCode) + cPrefName;
    return "$XDG_CONFIG_HOME/" + prefs + " (~/.config/" + prefs +
           " when XDG_CONFIG_HOME is unset)\n"
           "       the saved settings every clip starts from: written by settings set,\n"
           "       settings reset and the dialog's OK, read by the plug-in\n" +
           "$XDG_CONFIG_HOME/" + prefs + cPrefsAsideSuffix +
           "\n"
           "       a preferences file that could not be read, kept when settings set,\n"
           "       settings reset or the plug-in replaced it\n"
           "PREFIX/lib/horizonfix/HorizonFix.bundle\n"
           "       the plug-in, found beside an installed hzfix\n";
}

const char kEnvironmentHelp[] =
    "XDG_CONFIG_HOME\n"
    "       the folder of the preferences file (default ~/.config)\n"
    "HZFIX_PLUGIN\n"
    "       the plug-in bundle folder, where --plugin is not given\n"
    "HZ_DISABLE_FAST_PATHS\n"
    "       set to 1: draw and convert colours through the portable paths instead of\n"
    "       the SIMD ones (slower; for comparing the two)\n"
    "DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM\n"
    "       where configure opens its window (QT_QPA_PLATFORM=offscreen: nowhere)\n";

const char kExamplesHelp[] =
    "Try a turn of 3 degrees on one frame, the uncovered corners striped:\n"
    "    hzfix preview clip.mp4 try.png --turn 3deg --side-by-side --at 2.5\n"
    "Enlarge until the stripes are gone, replacing the picture:\n"
    "    hzfix preview clip.mp4 try.png --turn 3deg --scale 4 --side-by-side -y\n"
    "Render with those settings, for this run only:\n"
    "    hzfix render clip.mp4 level.mp4 --turn 3deg --scale 4\n"
    "Keep them for every clip, or in a file for a series of clips:\n"
    "    hzfix settings set --turn 3deg --scale 4\n"
    "    hzfix settings show --as file > level.txt\n"
    "    hzfix render other.mp4 other-level.mp4 --settings level.txt\n"
    "What the saved moves and enlargement are in pixels on a clip's frames:\n"
    "    hzfix settings show --for clip.mp4\n"
    "Set the framing and the turn in the dialog, on the clip's frames:\n"
    "    hzfix configure clip.mp4 --at 1:30\n";

std::string Help() {
    std::string text =
        "usage: hzfix [--plugin BUNDLE] [-v] COMMAND ...\n"
        "Runs the Horizon Fix effect over video files.\n\ncommands:\n";
    std::vector<hzfix::OptionSpec> commands;
    std::vector<std::string> names;
    for (const hzfix::CommandRec& c : hzfix::AllCommands())
        names.push_back(std::string(c.name) + (*c.synopsis ? " " : "") + c.synopsis);
    for (size_t i = 0; i < names.size(); ++i)
        commands.push_back({names[i].c_str(), nullptr, hzfix::AllCommands()[i].summary});
    commands.push_back({"COMMAND --help", nullptr, "the options of one command"});
    return text + hzfix::OptionsHelp(commands) + "\n" + kOptionsHelp + kStatusHelp;
}

// A manual page in roff, made from the same help texts.
std::string ManPage() {
    const auto roff = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            if (c == '\\')
                out += "\\e";
            else if (c == '-')
                out += "\\-";
            else
                out += c;
        }
        std::string lines;
        for (size_t at = 0; at < out.size();) {
            const size_t end = out.find('\n', at);
            std::string line = out.substr(at, end - at);
            if (!line.empty() && (line[0] == '.' || line[0] == '\'')) line = "\\&" + line;
            lines += line + "\n";
            at = end == std::string::npos ? out.size() : end + 1;
        }
        return lines;
    };
    std::string page =
        ".TH HZFIX 1 \"\" \"hzfix 3.0.0\" \"User Commands\"\n"
        ".SH NAME\nhzfix \\- level, re-frame and turn video with the Horizon Fix "
        "effect\n.SH SYNOPSIS\n.nf\n";
    for (const hzfix::CommandRec& c : hzfix::AllCommands())
        page += roff(std::string("hzfix [--plugin BUNDLE] [-v] ") + c.name + " " + c.synopsis);
    page += ".fi\n.SH COMMANDS\n";
    for (const hzfix::CommandRec& c : hzfix::AllCommands())
        page += ".SS " + std::string(c.name) + "\n.nf\n" + roff(c.help()) + ".fi\n";
    page += ".SH OPTIONS\n.nf\n" + roff(kOptionsHelp) + ".fi\n.SH EXIT STATUS\n.nf\n" +
            roff(kStatusHelp) + ".fi\n.SH FILES\n.nf\n" + roff(FilesHelp()) +
            ".fi\n.SH ENVIRONMENT\n.nf\n" + roff(kEnvironmentHelp) + ".fi\n.SH EXAMPLES\n.nf\n" +
            roff(kExamplesHelp) + ".fi\n";
    return page;
}

// Completion for bash: commands, then each command's first word where it
// takes one of a few, its options, and the values of options that take one
// of a few.
std::string BashCompletion() {
    std::string names, cases;
    for (const hzfix::CommandRec& c : hzfix::AllCommands()) {
        names += std::string(names.empty() ? "" : " ") + c.name;
        std::string options = "--help", values;
        for (const hzfix::OptionSpec& o : c.options()) {
            options += std::string(" ") + o.name;
            if (o.choices)
                values +=
                    std::string("            ") + o.name + ") values=\"" + o.choices + "\" ;;\n";
        }
        cases += std::string("        ") + c.name + ") opts=\"" + options + "\"";
        if (c.actions) cases += std::string("; actions=\"") + c.actions + "\"";
        if (!values.empty()) cases += "\n            case $prev in\n" + values + "            esac";
        cases += " ;;\n";
    }
    return "# bash completion for hzfix\n"
           "_hzfix() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    local command= at= opts= actions= values= i\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        case ${COMP_WORDS[i]} in --plugin) ((i++)) ;; -*) ;; *) "
           "command=${COMP_WORDS[i]}; at=$i; "
           "break ;; esac\n"
           "    done\n"
           "    if [[ -z $command ]]; then\n"
           "        if [[ $prev == --plugin ]]; then COMPREPLY=($(compgen -d -- \"$cur\")); "
           "return; "
           "fi\n"
           "        COMPREPLY=($(compgen -W \"" +
           names +
           " --plugin -v --help --version\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    case $command in\n" +
           cases +
           "    esac\n"
           "    if [[ -n $values ]]; then COMPREPLY=($(compgen -W \"$values\" -- \"$cur\"));\n"
           "    elif [[ $cur == -* ]]; then COMPREPLY=($(compgen -W \"$opts\" -- \"$cur\"));\n"
           "    elif [[ -n $actions ]] && ((COMP_CWORD == at + 1)); then\n"
           "        COMPREPLY=($(compgen -W \"$actions\" -- \"$cur\"))\n"
           "    else COMPREPLY=($(compgen -f -- \"$cur\")); fi\n"
           "}\n"
           "complete -o filenames -F _hzfix hzfix\n";
}

// $HZFIX_PLUGIN, else the bundle beside the program (a build), else the one
// installed with it (PREFIX/bin/hzfix and PREFIX/lib/horizonfix/).
std::string DefaultBundle() {
    if (const char* chosen = std::getenv("HZFIX_PLUGIN"); chosen && *chosen) return chosen;
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "HorizonFix.bundle";
    self[n] = '\0';
    const std::string folder = std::string(self).substr(0, std::string(self).find_last_of('/') + 1);
    const std::string beside = folder + "HorizonFix.bundle";
    if (access(beside.c_str(), F_OK) == 0) return beside;
    return folder + "../lib/horizonfix/HorizonFix.bundle";
}

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "hzfix: error: %s\n", message.c_str());
    if (status == hzfix::kExitUsage) std::fprintf(stderr, "(hzfix --help lists the commands)\n");
    return status;
}

// The words before the command, from words[*at] on: an exit status where
// one of them is answered at once (--help, --version...) or is wrong;
// nothing when *at has reached the command.
std::optional<int> TakeGlobalOptions(const std::vector<std::string>& words, hzfix::Context* context,
                                     size_t* at) {
    using namespace hzfix;
    for (; *at < words.size() && words[*at].size() > 1 && words[*at][0] == '-'; ++*at) {
        const std::string& w = words[*at];
        if (w == "--help" || w == "-h") {
            std::fputs(Help().c_str(), stdout);
            return kExitOk;
        }
        if (w == "--man") {
            std::fputs(ManPage().c_str(), stdout);
            return kExitOk;
        }
        if (w == "--bash-completion") {
            std::fputs(BashCompletion().c_str(), stdout);
            return kExitOk;
        }
        if (w == "--version") {
            std::printf("hzfix 3.0.0\n");
            return kExitOk;
        }
        if (w == "-v") {
            av_log_set_level(AV_LOG_WARNING);
        } else if (w == "--plugin") {
            if (++*at >= words.size()) return Fail(kExitUsage, "--plugin needs a bundle folder");
            context->bundleDir = words[*at];
        } else if (w.rfind("--plugin=", 0) == 0) {
            context->bundleDir = w.substr(9);
        } else {
            return Fail(kExitUsage, "unknown option " + w);
        }
    }
    if (*at >= words.size()) return Fail(kExitUsage, "no command given");
    return std::nullopt;
}

// The command's own words, -v taken out; nothing once its help is printed.
std::optional<std::vector<std::string>> TakeCommandWords(
    const hzfix::CommandRec& command, std::vector<std::string>::const_iterator w,
    std::vector<std::string>::const_iterator end) {
    std::vector<std::string> rest;
    for (; w != end; ++w) {
        if (*w == "--") {
            rest.insert(rest.end(), w, end);
            break;
        }
        if (*w == "--help" || *w == "-h") {
            std::fputs(command.help().c_str(), stdout);
            return std::nullopt;
        }
        // No command has options of its own called -v.
        if (*w == "-v")
            av_log_set_level(AV_LOG_WARNING);
        else
            rest.push_back(*w);
    }
    return rest;
}

void CatchEndSignals() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    // A second Ctrl-C ends the process at once.
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A file-size limit must show as a write error, not end the process.
    signal(SIGXFSZ, SIG_IGN);
}

// The command's run, each kind of failure answered with its exit status.
int RunCommand(const hzfix::CommandRec& command, const hzfix::Context& context,
               const std::vector<std::string>& words) {
    using namespace hzfix;
    try {
        return command.run(context, words);
    } catch (const UsageError& e) {
        return Fail(kExitUsage, e.what());
    } catch (const PluginLoadError& e) {
        return Fail(kExitPluginLoad, e.what());
    } catch (const Interrupted&) {
        return Fail(128 + (gSignal ? gSignal : SIGINT), "interrupted; nothing was written");
    } catch (const media::InputError& e) {
        if (gInterrupted) return Fail(128 + gSignal, "interrupted; nothing was written");
        return Fail(kExitInput, e.what());
    } catch (const media::EncodingError& e) {
        return Fail(kExitUsage, e.what());
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

}  // namespace

int main(int argc, char** argv) {
    using namespace hzfix;
    const std::vector<std::string> words(argv + 1, argv + argc);
    Context context;
    context.bundleDir = DefaultBundle();
    context.interrupt = &gInterrupted;
    av_log_set_level(AV_LOG_QUIET);

    size_t at = 0;
    if (const auto answered = TakeGlobalOptions(words, &context, &at)) return *answered;
    const std::string& name = words[at];
    const CommandRec* command = nullptr;
    for (const CommandRec& c : AllCommands())
        if (name == c.name) command = &c;
    if (!command) return Fail(kExitUsage, "unknown command '" + name + "'");
    const auto rest =
        TakeCommandWords(*command, words.begin() + static_cast<ptrdiff_t>(at) + 1, words.end());
    if (!rest) return kExitOk;
    CatchEndSignals();
    return RunCommand(*command, context, *rest);
}
