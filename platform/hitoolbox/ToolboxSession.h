// The window layer needs a QApplication. A host that runs Qt already has
// one; for any other host a session makes one for its own length and takes
// it down again, so nothing of Qt outlives the dialog.
//
// While a session lives, SIGINT and SIGTERM cancel the windows whose modal
// loops run, as their cancel command would, instead of going to the
// process's own handling (which cannot reach into the loop); a signal the
// process ignores stays ignored. When the session ends, a signal that came
// meanwhile goes on to that handling, so the host ends as it would have.
#ifndef HZ_PLATFORM_HITOOLBOX_TOOLBOXSESSION_H
#define HZ_PLATFORM_HITOOLBOX_TOOLBOXSESSION_H

class QApplication;
class QSocketNotifier;

class ToolboxSession {
  public:
    ToolboxSession();
    ~ToolboxSession();
    ToolboxSession(const ToolboxSession&) = delete;
    ToolboxSession& operator=(const ToolboxSession&) = delete;

  private:
    QApplication* ownApplication_ = nullptr;
    QSocketNotifier* signalNotifier_ = nullptr;
};

#endif
