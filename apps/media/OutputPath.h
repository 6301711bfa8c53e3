// A file written under a temporary name beside its final one and renamed
// into place only when complete, so an interrupted or failed run never
// leaves a half-written file under the name the user asked for.
#ifndef HZ_APPS_MEDIA_OUTPUTPATH_H
#define HZ_APPS_MEDIA_OUTPUTPATH_H

#include <string>

namespace media {

class OutputPath {
  public:
    // Throws OutputError when `path` exists and `overwrite` is false, or
    // names a folder.
    OutputPath(std::string path, bool overwrite);
    ~OutputPath();  // removes the temporary file unless committed
    OutputPath(const OutputPath&) = delete;
    OutputPath& operator=(const OutputPath&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporary() const { return temporary_; }
    // Moves the temporary file to the final name. Without overwrite, a file
    // that appeared there meanwhile is still kept.
    void Commit();
    void Discard();

  private:
    std::string path_;
    std::string temporary_;
    bool overwrite_;
    bool done_ = false;
};

}  // namespace media

#endif
