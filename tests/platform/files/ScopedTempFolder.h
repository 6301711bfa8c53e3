// A fresh folder for one test, with the preferences folder pointed into it;
// removed with everything in it when the test ends.
#ifndef HZ_TESTS_SCOPEDTEMPFOLDER_H
#define HZ_TESTS_SCOPEDTEMPFOLDER_H

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class ScopedTempFolder {
  public:
    ScopedTempFolder() {
        std::string pattern = std::filesystem::temp_directory_path() / "hz-test-XXXXXX";
        path_ = mkdtemp(pattern.data());
        setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    }
    ~ScopedTempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

#endif
