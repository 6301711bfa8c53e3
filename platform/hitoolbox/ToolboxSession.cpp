#include "platform/hitoolbox/ToolboxSession.h"

#include <dlfcn.h>

#include <QApplication>
#include <QUiLoader>
#include <QWidget>

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

}  // namespace

ToolboxSession::ToolboxSession() {
    if (!QCoreApplication::instance()) ownApplication_ = new QApplication(lgArgc, lgArgv);
}

ToolboxSession::~ToolboxSession() { delete ownApplication_; }
