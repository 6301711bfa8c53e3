#include "apps/hzfix/StandardStreams.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "apps/hzfix/Cli.h"
#include "apps/media/LibAv.h"

namespace hzfix {

namespace {

// Writes all of `size` bytes, through interruptions and short writes.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool Copy(int from, int to) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!WriteAll(to, buffer, static_cast<size_t>(n))) return false;
    }
}

}  // namespace

StreamFiles::StreamFiles(const std::string& in, const std::string& out, const std::string& outType)
    : in_(in), out_(out) {
    if (in != "-" && out != "-") return;
    if (out == "-" && outType.empty())
        throw UsageError("writing to standard output needs its type: -f mkv, ts, mp4, png...");
    std::string pattern = (std::filesystem::temp_directory_path() / "hzfix-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw media::OutputError("cannot make a temporary folder: " +
                                 std::string(std::strerror(errno)));
    folder_ = pattern;
    if (in == "-") {
        in_ = folder_ + "/standard-input";
        FILE* file = std::fopen(in_.c_str(), "wb");
        const bool copied = file && Copy(STDIN_FILENO, fileno(file));
        if (!file || std::fclose(file) != 0 || !copied)
            throw media::InputError("cannot read standard input into " + in_);
    }
    if (out == "-") {
        out_ = folder_ + "/standard-output." + outType;
        toStdout_ = true;
    }
}

StreamFiles::~StreamFiles() {
    if (folder_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void StreamFiles::Deliver() const {
    if (!toStdout_) return;
    FILE* file = std::fopen(out_.c_str(), "rb");
    std::fflush(stdout);
    const bool copied = file && Copy(fileno(file), STDOUT_FILENO);
    if (file) std::fclose(file);
    if (!copied)
        throw media::OutputError("cannot write to standard output: " +
                                 std::string(std::strerror(errno)));
}

}  // namespace hzfix
