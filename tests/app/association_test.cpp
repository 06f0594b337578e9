// The file association written into a private data folder.
#include "app/association.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/tempdir.h"

namespace varnel {
namespace {

TEST(Association, WritesTheTypeTheEntryAndTheIcons) {
    test::TempDir home;
    std::string why;
    const std::string exe = "/opt/my \"odd\" place/varnel";
    int painted = 0;
    auto paint = [&](int size) {
        ++painted;
        return "PNG" + std::to_string(size);
    };
    ASSERT_TRUE(registerFileType(home.path(), exe, paint, "<svg/>", false, why)) << why;

    const std::string mime = test::readFile(home.file("mime/packages/varnel.xml"));
    EXPECT_NE(mime.find("<glob pattern=\"*.fdb\"/>"), std::string::npos);
    EXPECT_NE(mime.find("Varnel Database"), std::string::npos);

    // The file is the only argument, and the path survives blanks and quotes.
    const std::string entry = test::readFile(home.file("applications/varnel.desktop"));
    EXPECT_NE(entry.find("Exec=\"/opt/my \\\"odd\\\" place/varnel\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("MimeType=application/x-varnel-catalog;"), std::string::npos);
    EXPECT_EQ(test::readFile(home.file("icons/hicolor/48x48/apps/varnel.png")), "PNG48");
    EXPECT_EQ(test::readFile(home.file("icons/hicolor/scalable/apps/varnel.svg")), "<svg/>");

    EXPECT_EQ(painted, 6);

    // The next start finds everything in place: nothing is drawn or written again.
    struct stat before {
    }, after{};
    ::stat(home.file("applications/varnel.desktop").c_str(), &before);
    ASSERT_TRUE(registerFileType(home.path(), exe, paint, "<svg/>", false, why));
    ::stat(home.file("applications/varnel.desktop").c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(painted, 6);

    // A start from elsewhere points the entry at the new place; a lost icon is drawn again.
    ::unlink(home.file("icons/hicolor/16x16/apps/varnel.png").c_str());
    ASSERT_TRUE(registerFileType(home.path(), "/usr/local/bin/varnel", paint, "", false, why));
    EXPECT_NE(test::readFile(home.file("applications/varnel.desktop"))
                  .find("Exec=\"/usr/local/bin/varnel\" %f"),
              std::string::npos);
    EXPECT_EQ(painted, 7);
}

TEST(Association, ReportsAFolderItCannotWrite) {
    test::TempDir home;
    test::writeFile(home.file("mime"), "a file where the folder should be");
    std::string why;
    EXPECT_FALSE(registerFileType(home.path(), "/x/varnel", nullptr, "", false, why));
    EXPECT_NE(why.find("mime/packages/varnel.xml"), std::string::npos);
}

}  // namespace
}  // namespace varnel
