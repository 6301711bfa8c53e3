// The watcher the tests put beside a host: every call the plug-in makes
// into it, in order, and the faults the host is to answer with.
#ifndef HZ_TESTS_SUPPORT_HOSTRECORDER_H
#define HZ_TESTS_SUPPORT_HOSTRECORDER_H

#include <vector>

#include "apps/pluginhost/PluginHost.h"

namespace testhost {

class HostRecorder : public pluginhost::HostWatcher {
  public:
    void Called(const pluginhost::HostCall& call) override { calls_.push_back(call); }
    pluginhost::HostFaults& faults() override { return faults_; }
    const std::vector<pluginhost::HostCall>& calls() const { return calls_; }
    void clear() { calls_.clear(); }

  private:
    std::vector<pluginhost::HostCall> calls_;
    pluginhost::HostFaults faults_;
};

}  // namespace testhost

#endif
