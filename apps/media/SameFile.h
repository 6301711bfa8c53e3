// Writing a result over the file it is made from destroys the source
// before it has been read.
#ifndef HZ_APPS_MEDIA_SAMEFILE_H
#define HZ_APPS_MEDIA_SAMEFILE_H

#include <string>

namespace media {

// Throws OutputError when output names the same file as input (the same
// device and inode, whatever the names or links); nothing when output does
// not exist yet.
void RefuseOutputOverInput(const std::string& input, const std::string& output);

}  // namespace media

#endif
