// The window layer needs a QApplication. A host that runs Qt already has
// one; for any other host a session makes one for its own length and takes
// it down again, so nothing of Qt outlives the dialog.
#ifndef HZ_PLATFORM_HITOOLBOX_TOOLBOXSESSION_H
#define HZ_PLATFORM_HITOOLBOX_TOOLBOXSESSION_H

class QApplication;

class ToolboxSession {
  public:
    ToolboxSession();
    ~ToolboxSession();
    ToolboxSession(const ToolboxSession&) = delete;
    ToolboxSession& operator=(const ToolboxSession&) = delete;

  private:
    QApplication* ownApplication_ = nullptr;
};

#endif
