#include "apps/media/SameFile.h"

#include <sys/stat.h>

#include "apps/media/LibAv.h"

namespace media {

void RefuseOutputOverInput(const std::string& input, const std::string& output) {
    struct stat in, out;
    if (stat(input.c_str(), &in) != 0 || stat(output.c_str(), &out) != 0) return;
    if (in.st_dev == out.st_dev && in.st_ino == out.st_ino)
        throw OutputError(output + " is the input file; write the result under another name");
}

}  // namespace media
