// The user manual: built into the bundle where the dialog's help looks for
// it, with pictures of the dialog when they have been taken.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"
#include "tests/platform/files/ScopedTempFolder.h"

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Pages(const std::string& pdf) {
    static const std::regex page(R"(/Type\s*/Page[^s])");
    return static_cast<int>(
        std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

bool HasPicture(const std::string& pdf) { return pdf.find("/Subtype /Image") != std::string::npos; }

int MakeManual(const std::string& args) {
    return std::system((std::string(HZ_MKMANUAL) + " " + args + " 2>/dev/null").c_str());
}

TEST(Manual, TheBundleFindsItAsManualOfTypePdf) {
    const std::string dir = HZ_BUNDLE_DIR;
    CFURLRef folder = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const uint8_t*>(dir.data()), static_cast<CFIndex>(dir.size()),
        true);
    CFBundleRef bundle = CFBundleCreate(nullptr, folder);
    ASSERT_TRUE(bundle);
    CFStringRef name = CFStringCreateWithCString(nullptr, "manual", kCFStringEncodingUTF8);
    CFStringRef type = CFStringCreateWithCString(nullptr, "pdf", kCFStringEncodingUTF8);
    CFURLRef url = CFBundleCopyResourceURL(bundle, name, type, nullptr);
    ASSERT_TRUE(url);
    uint8_t path[4096];
    ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, path, sizeof path));
    const std::string pdf = Read(reinterpret_cast<const char*>(path));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_GE(Pages(pdf), 3);
    for (CFTypeRef object :
         {CFTypeRef(url), CFTypeRef(type), CFTypeRef(name), CFTypeRef(bundle), CFTypeRef(folder)})
        CFRelease(object);
}

TEST(Manual, PicturesAreTakenWhereTheyExistAndLeftOutOtherwise) {
    ScopedTempFolder dir;
    std::ofstream(dir / "m.md") << "# Title\n\nSome text.\n\n![The window](shot.png)\n\nMore.\n";
    ASSERT_EQ(MakeManual(dir / "m.md " + dir / "none.pdf " + dir / "pictures"), 0);
    const std::string without = Read(dir / "none.pdf");
    EXPECT_EQ(without.substr(0, 5), "%PDF-");
    EXPECT_FALSE(HasPicture(without));

    // Wider than the page, so it is also scaled to fit.
    std::system(("mkdir -p " + dir / "pictures").c_str());
    QImage shot(1200, 300, QImage::Format_RGB32);
    shot.fill(QColor(0, 120, 255));
    ASSERT_TRUE(shot.save(QString::fromStdString(dir / "pictures/shot.png")));
    ASSERT_EQ(MakeManual(dir / "m.md " + dir / "with.pdf " + dir / "pictures"), 0);
    const std::string with = Read(dir / "with.pdf");
    EXPECT_TRUE(HasPicture(with));
    EXPECT_EQ(Pages(with), 1);
}

}  // namespace
