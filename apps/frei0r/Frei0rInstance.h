// One frei0r instance: a clip of the plug-in, begun when the instance is
// made and rendered frame by frame, each frame with the parameters of its
// moment. The plug-in is loaded once per process and shared; its entry
// point takes one call at a time, whichever instance or thread it comes
// from.
#ifndef HZ_APPS_FREI0R_FREI0RINSTANCE_H
#define HZ_APPS_FREI0R_FREI0RINSTANCE_H

#include <cstdint>
#include <memory>
#include <string>

#include "apps/frei0r/Frei0rParams.h"
#include "apps/pluginhost/PluginHost.h"
#include "platform/quickdraw/QuickDraw.h"

namespace hzfrei0r {

class Instance : public pluginhost::FrameProvider {
  public:
    // Null where the plug-in cannot be loaded or begin a clip; the reason
    // goes to standard error.
    static std::unique_ptr<Instance> Make(unsigned width, unsigned height);
    ~Instance() override;

    ParamValuesRec& values() { return values_; }
    // Frames are width x height, 4 bytes a pixel, R G B A in memory.
    void Update(const uint32_t* in, uint32_t* out);

    HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                GWorldPtr out) override;
    bool LendFrame(int32_t frameNumber, HYRefDVQuality quality, int16_t width, int16_t height,
                   pluginhost::LentPixels* out) override;

  private:
    Instance(std::shared_ptr<const pluginhost::LoadedPlugin> plugin, int width, int height);
    bool Begin();
    // A frame of this instance's size on `pixels`, R G B A; null when memory
    // is short.
    GWorldPtr WorldOn(const uint32_t* pixels) const;

    std::shared_ptr<const pluginhost::LoadedPlugin> plugin_;
    int width_, height_;
    const uint32_t* in_ = nullptr;  // the frame being updated, while it is
    pluginhost::PluginHost host_;
    ParamValuesRec values_;
    bool clipOpen_ = false;
    bool warned_ = false;
};

}  // namespace hzfrei0r

#endif
