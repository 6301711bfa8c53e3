// "-" for a file name: standard input or output. A clip is read more than
// once (its frames are counted first), so standard input is copied into a
// temporary file before anything else; an output is written to a temporary
// file as usual and copied to standard output once it is complete, so a
// failed run sends nothing half-made down the pipe.
#ifndef HZ_APPS_HZFIX_STANDARDSTREAMS_H
#define HZ_APPS_HZFIX_STANDARDSTREAMS_H

#include <string>

namespace hzfix {

class StreamFiles {
  public:
    // `in` and `out` as the user gave them; `outType` (-f) names the
    // output's type (mkv, mp4, ts, png...) when `out` is "-". Throws
    // UsageError for "-" without a type, media::InputError when standard
    // input cannot be read.
    StreamFiles(const std::string& in, const std::string& out, const std::string& outType);
    ~StreamFiles();  // the temporary files go
    StreamFiles(const StreamFiles&) = delete;
    StreamFiles& operator=(const StreamFiles&) = delete;

    const std::string& in() const { return in_; }
    const std::string& out() const { return out_; }
    bool outToStdout() const { return toStdout_; }
    // Copies the finished output to standard output; nothing otherwise.
    void Deliver() const;

  private:
    std::string folder_;
    std::string in_, out_;
    bool toStdout_ = false;
};

}  // namespace hzfix

#endif
