// mkresfile SOURCE OUTPUT: compiles a resource source (see ResourceSource.h)
// into a resource file. On any error OUTPUT is left absent, so a build
// never goes on with a stale or partial file.
#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files/FileSpecPath.h"
#include "platform/memory/MacMemory.h"
#include "platform/resources/Resources.h"
#include "tools/mkresfile/ResourceSource.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "mkresfile: %s\n", message.c_str());
    return 1;
}

bool AddAll(const std::vector<CompiledResourceRec>& resources, std::string* why) {
    for (const CompiledResourceRec& resource : resources) {
        const std::vector<uint8_t> data = resource.Data();
        Handle h = NewHandle(static_cast<Size>(data.size()));
        if (!h) {
            *why = "out of memory";
            return false;
        }
        std::memcpy(*h, data.data(), data.size());
        const std::string name =
            std::string(1, static_cast<char>(resource.name.size())) + resource.name;
        AddResource(h, resource.type, resource.id, reinterpret_cast<ConstStr255Param>(name.data()));
        if (ResError() != noErr) {
            DisposeHandle(h);
            *why = "cannot add resource " + std::to_string(resource.id) + ": error " +
                   std::to_string(ResError());
            return false;
        }
    }
    return true;
}

bool WriteResourceFile(const std::string& output, const std::vector<CompiledResourceRec>& resources,
                       std::string* why) {
    if (unlink(output.c_str()) != 0 && errno != ENOENT) {
        *why = "cannot replace " + output + ": " + std::strerror(errno);
        return false;
    }
    FSSpec fileSpec;
    const OSErr specErr = PathToFSSpec(output, &fileSpec);
    if (specErr != fnfErr) {
        *why = "cannot write " + output + ": error " + std::to_string(specErr);
        return false;
    }
    FSpCreateResFile(&fileSpec, 0, 0, smSystemScript);
    const int16_t refNum = ResError() == noErr ? FSpOpenResFile(&fileSpec, fsRdWrPerm) : -1;
    if (refNum == -1) {
        *why = "cannot create " + output + ": error " + std::to_string(ResError());
        return false;
    }
    const bool added = AddAll(resources, why);
    CloseResFile(refNum);
    if (added && ResError() != noErr) {
        *why = "cannot write " + output + ": error " + std::to_string(ResError());
    }
    return added && ResError() == noErr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkresfile SOURCE OUTPUT\n");
        return 2;
    }
    const std::string source = argv[1];
    const std::string output = argv[2];

    std::ifstream in(source, std::ios::binary);
    if (!in) {
        unlink(output.c_str());
        return Fail("cannot read " + source + ": " + std::strerror(errno));
    }
    std::stringstream text;
    text << in.rdbuf();

    std::vector<CompiledResourceRec> resources;
    SourceErrorRec error;
    if (!ParseResourceSource(text.str(), &resources, &error)) {
        unlink(output.c_str());
        return Fail(source + ":" + std::to_string(error.line) + ": " + error.message);
    }
    std::string why;
    if (!WriteResourceFile(output, resources, &why)) {
        unlink(output.c_str());
        return Fail(why);
    }
    return 0;
}
