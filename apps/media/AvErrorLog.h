// FFmpeg's result codes are often too general to act on ("Generic error",
// "Device or resource busy"); the libraries say the real cause in their log.
#ifndef HZ_APPS_MEDIA_AVERRORLOG_H
#define HZ_APPS_MEDIA_AVERRORLOG_H

#include <string>

namespace media {

// While one exists, the libraries' error messages are kept instead of
// printed. Set-up of one file at a time only: the log is process-wide.
class AvErrorLog {
  public:
    AvErrorLog();
    ~AvErrorLog();
    AvErrorLog(const AvErrorLog&) = delete;
    AvErrorLog& operator=(const AvErrorLog&) = delete;

    // The last error message logged, else the text of err.
    std::string Explain(int err) const;
};

}  // namespace media

#endif
