// horizonfix.so opened as a frei0r host opens it: by path, its functions
// looked up by name, its parameters found by name.
#ifndef HZ_TESTS_APPS_FREI0R_FREI0RLIBRARY_H
#define HZ_TESTS_APPS_FREI0R_FREI0RLIBRARY_H

#include <dlfcn.h>

#include <string>

extern "C" {
#include <frei0r.h>
}

namespace testfrei0r {

struct Frei0rLibrary {
    explicit Frei0rLibrary(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
    ~Frei0rLibrary() {
        if (handle) dlclose(handle);
    }
    Frei0rLibrary(const Frei0rLibrary&) = delete;
    Frei0rLibrary& operator=(const Frei0rLibrary&) = delete;

    template <typename F>
    F* Get(const char* name) const {
        return handle ? reinterpret_cast<F*>(dlsym(handle, name)) : nullptr;
    }

    void* handle;
    decltype(&f0r_init) init = Get<decltype(f0r_init)>("f0r_init");
    decltype(&f0r_get_plugin_info) info = Get<decltype(f0r_get_plugin_info)>("f0r_get_plugin_info");
    decltype(&f0r_get_param_info) paramInfo =
        Get<decltype(f0r_get_param_info)>("f0r_get_param_info");
    decltype(&f0r_construct) construct = Get<decltype(f0r_construct)>("f0r_construct");
    decltype(&f0r_destruct) destruct = Get<decltype(f0r_destruct)>("f0r_destruct");
    decltype(&f0r_set_param_value) set = Get<decltype(f0r_set_param_value)>("f0r_set_param_value");
    decltype(&f0r_get_param_value) get = Get<decltype(f0r_get_param_value)>("f0r_get_param_value");
    decltype(&f0r_update) update = Get<decltype(f0r_update)>("f0r_update");

    int Index(const std::string& name) const {
        f0r_plugin_info_t plugin;
        info(&plugin);
        for (int i = 0; i < plugin.num_params; ++i) {
            f0r_param_info_t p;
            paramInfo(&p, i);
            if (name == p.name) return i;
        }
        return -1;
    }
    void Set(f0r_instance_t instance, const std::string& name, double value) const {
        set(instance, &value, Index(name));
    }
    double Value(f0r_instance_t instance, const std::string& name) const {
        double value = -1;
        get(instance, &value, Index(name));
        return value;
    }
};

}  // namespace testfrei0r

#endif
