#include "platform/hitoolbox/ToolboxSession.h"

#include <QApplication>

namespace {
// QApplication keeps references to both for its whole life.
int lgArgc = 1;
char lgProgramName[] = "horizonfix";
char* lgArgv[] = {lgProgramName, nullptr};
}  // namespace

ToolboxSession::ToolboxSession() {
    if (!QCoreApplication::instance()) ownApplication_ = new QApplication(lgArgc, lgArgv);
}

ToolboxSession::~ToolboxSession() { delete ownApplication_; }
