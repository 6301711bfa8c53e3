// The frei0r 1.2 filter "horizonfix": what ffmpeg, GStreamer and MLT call.
#include <cstring>

extern "C" {
#include <frei0r.h>
}

#include "apps/frei0r/Frei0rInstance.h"

using hzfrei0r::Instance;
using hzfrei0r::Params;

namespace {

constexpr int cMajorVersion = 1;
constexpr int cMinorVersion = 0;

int TypeOf(hzfrei0r::ParamKind kind) {
    switch (kind) {
        case hzfrei0r::ParamKind::kBool:
            return F0R_PARAM_BOOL;
        case hzfrei0r::ParamKind::kColor:
            return F0R_PARAM_COLOR;
        case hzfrei0r::ParamKind::kDouble:
            break;
    }
    return F0R_PARAM_DOUBLE;
}

bool Known(int index) { return index >= 0 && index < static_cast<int>(Params().size()); }

}  // namespace

// Everything else in the library stays hidden.
#define F0R_EXPORT __attribute__((visibility("default")))

extern "C" {

// GStreamer refuses a plug-in whose init answers 0; every call answers 1.
F0R_EXPORT int f0r_init() { return 1; }

F0R_EXPORT void f0r_deinit() {}

F0R_EXPORT void f0r_get_plugin_info(f0r_plugin_info_t* info) {
    info->name = "horizonfix";
    info->author = "Horizon Fix";
    info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
    info->color_model = F0R_COLOR_MODEL_RGBA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->major_version = cMajorVersion;
    info->minor_version = cMinorVersion;
    info->num_params = static_cast<int>(Params().size());
    info->explanation = "Straightens and re-frames video: turns, enlarges and moves the picture";
}

F0R_EXPORT void f0r_get_param_info(f0r_param_info_t* info, int index) {
    if (!Known(index)) return;
    const hzfrei0r::ParamRec& p = Params()[static_cast<size_t>(index)];
    info->name = p.name.c_str();
    info->type = TypeOf(p.kind);
    info->explanation = p.explanation.c_str();
}

F0R_EXPORT f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
    try {
        return Instance::Make(width, height).release();
    } catch (...) {
        return nullptr;
    }
}

F0R_EXPORT void f0r_destruct(f0r_instance_t instance) { delete static_cast<Instance*>(instance); }

F0R_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t value, int index) {
    if (!instance || !value || !Known(index)) return;
    const hzfrei0r::ParamRec& p = Params()[static_cast<size_t>(index)];
    if (p.kind == hzfrei0r::ParamKind::kColor) {
        const auto* c = static_cast<const f0r_param_color_t*>(value);
        const double rgb[3] = {c->r, c->g, c->b};
        hzfrei0r::SetParam(p, rgb, &static_cast<Instance*>(instance)->values());
    } else {
        hzfrei0r::SetParam(p, static_cast<const double*>(value),
                           &static_cast<Instance*>(instance)->values());
    }
}

F0R_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t value, int index) {
    if (!instance || !value || !Known(index)) return;
    const hzfrei0r::ParamRec& p = Params()[static_cast<size_t>(index)];
    double out[3] = {};
    hzfrei0r::GetParam(p, static_cast<Instance*>(instance)->values(), out);
    if (p.kind == hzfrei0r::ParamKind::kColor) {
        auto* c = static_cast<f0r_param_color_t*>(value);
        c->r = static_cast<float>(out[0]);
        c->g = static_cast<float>(out[1]);
        c->b = static_cast<float>(out[2]);
    } else {
        *static_cast<double*>(value) = out[0];
    }
}

// `time` means milliseconds to one host, seconds from the in-point to
// another: each frame is rendered with the parameters set for it instead.
F0R_EXPORT void f0r_update(f0r_instance_t instance, double, const uint32_t* in, uint32_t* out) {
    if (!instance) return;
    try {
        static_cast<Instance*>(instance)->Update(in, out);
    } catch (...) {
    }
}

}  // extern "C"
