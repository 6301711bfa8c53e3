// A render planned: the clip opened, the frames chosen, and the output with
// every stream it will hold (the pictures, the sound and what else the
// clip carries) laid out before the first frame is drawn.
#ifndef HZ_APPS_HZFIX_RENDERPLAN_H
#define HZ_APPS_HZFIX_RENDERPLAN_H

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "apps/hzfix/AudioRouter.h"
#include "apps/hzfix/ClipOpening.h"
#include "apps/hzfix/OtherStreams.h"
#include "apps/hzfix/Progress.h"
#include "apps/hzfix/RenderRequest.h"
#include "apps/hzfix/StandardStreams.h"
#include "apps/media/OutputFile.h"

namespace hzfix {

class RenderPlan {
  public:
    // Throws UsageError for times and fades the clip cannot give, and
    // what opening the clip and the output throw.
    RenderPlan(const Context& context, const RenderRequest& request);
    RenderPlan(const RenderPlan&) = delete;
    RenderPlan& operator=(const RenderPlan&) = delete;

  private:
    // --progress FILE, closed after the last report.
    struct ProgressFile {
        FILE* file = nullptr;
        bool owned = false;
        ~ProgressFile() {
            if (owned) std::fclose(file);
        }
    };

  public:
    StreamFiles files;
    OpenedClip clip;
    int64_t startFrame = 0, count = 0;
    ProgressFile progressFile;
    std::unique_ptr<Progress> progress;
    std::unique_ptr<media::OutputFile> out;
    std::unique_ptr<AudioRouter> audio;
    std::optional<OtherStreams> copies;
    // For the summary.
    std::string videoWords, audioWords;

  private:
    void ChooseFrames(const RenderRequest& request);
    void OpenProgress(const RenderRequest& request);
    void PlanAudio(const RenderRequest& request);
    void PlanOtherStreams();
};

}  // namespace hzfix

#endif
