// One decoded frame lent to the plug-in, as hzfix lends its converted
// frames, and where the benchmarks find the bundle.
#ifndef HZ_BENCH_LENTFRAMES_H
#define HZ_BENCH_LENTFRAMES_H

#include <cstdlib>
#include <string>

#include "apps/pluginhost/PluginHost.h"
#include "tests/support/TestFrames.h"

namespace bench {

class LentFrames : public pluginhost::FrameProvider {
  public:
    LentFrames(int w, int h) : frame_(testframes::MakeGWorld(w, h)) {
        testframes::FillPattern(frame_.get(), 1);
    }
    HYPluginResult ProvideFrame(int32_t, HYRefDVQuality, GWorldPtr) override {
        return kPluginCantGetNeededFrame;
    }
    bool LendFrame(int32_t, HYRefDVQuality, int16_t, int16_t,
                   pluginhost::LentPixels* out) override {
        PixMapHandle pm = GetGWorldPixMap(frame_.get());
        out->rows = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm));
        out->rowBytes = GetPixRowBytes(pm);
        return true;
    }
    GWorldPtr world() const { return frame_.get(); }

  private:
    testframes::GWorldHolder frame_;
};

inline std::string BundleDir() {
    const char* dir = std::getenv("HZ_BUNDLE_DIR");
    return dir ? dir : HZ_DEFAULT_BUNDLE_DIR;
}

}  // namespace bench

#endif
