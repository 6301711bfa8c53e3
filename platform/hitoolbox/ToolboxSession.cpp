#include "platform/hitoolbox/ToolboxSession.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QUiLoader>
#include <QWidget>

#include "platform/hitoolbox/ToolboxPrivate.h"

namespace {

// QApplication keeps references to both for its whole life.
int lgArgc = 1;
char lgProgramName[] = "horizonfix";
char* lgArgv[] = {lgProgramName, nullptr};

// Qt cannot be unloaded cleanly: what its libraries set up as they load is
// never given back, so a host that unloads the plug-in would lose it each
// time. Once loaded with the plug-in, Qt stays for the life of the process;
// this file is linked wherever the dialog is, so the pin comes with it.
void KeepLoaded(const void* symbolInLibrary) {
    Dl_info info;
    if (dladdr(symbolInLibrary, &info) && info.dli_fname)
        dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

const bool lgQtKeptLoaded = [] {
    KeepLoaded(&QObject::staticMetaObject);
    KeepLoaded(&QWidget::staticMetaObject);
    KeepLoaded(&QUiLoader::staticMetaObject);
    return true;
}();

constexpr int cEndSignals[] = {SIGINT, SIGTERM};

// A signal handler may do no more than this; the loop hears of it through
// the pipe.
int lgSignalPipe[2] = {-1, -1};
volatile sig_atomic_t lgSignalSeen = 0;
struct sigaction lgPreviousActions[2];
bool lgWatching[2] = {false, false};

void OnEndSignal(int sig) {
    const int saved = errno;
    lgSignalSeen = sig;
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = write(lgSignalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

ToolboxSession::ToolboxSession() {
    if (!QCoreApplication::instance()) ownApplication_ = new QApplication(lgArgc, lgArgv);
    if (pipe2(lgSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    lgSignalSeen = 0;
    signalNotifier_ = new QSocketNotifier(lgSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(signalNotifier_, &QSocketNotifier::activated, [] {
        char bytes[16];
        while (read(lgSignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        hitoolbox::CancelModalWindows();
    });
    for (int i = 0; i < 2; ++i) {
        struct sigaction action {};
        action.sa_handler = OnEndSignal;
        // A second signal while the windows close ends the process at once.
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        lgWatching[i] = sigaction(cEndSignals[i], nullptr, &lgPreviousActions[i]) == 0 &&
                        lgPreviousActions[i].sa_handler != SIG_IGN &&
                        sigaction(cEndSignals[i], &action, nullptr) == 0;
    }
}

ToolboxSession::~ToolboxSession() {
    for (int i = 0; i < 2; ++i)
        if (lgWatching[i]) sigaction(cEndSignals[i], &lgPreviousActions[i], nullptr);
    lgWatching[0] = lgWatching[1] = false;
    delete signalNotifier_;
    if (lgSignalPipe[0] >= 0) {
        close(lgSignalPipe[0]);
        close(lgSignalPipe[1]);
        lgSignalPipe[0] = lgSignalPipe[1] = -1;
    }
    delete ownApplication_;
    if (const int sig = lgSignalSeen) {
        lgSignalSeen = 0;
        raise(sig);
    }
}
