#include "catalog/workspace.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <filesystem>

#include "platform/filetime.h"
#include "platform/programdir.h"
#include "support/littleendian.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::le32;
using test::readFile;
using test::TempDir;
using test::writeFile;

std::string textRow(std::string_view bytes) {
    return le32(uint32_t(bytes.size())) + std::string(bytes);
}

std::string builtInBlockByHand() {
    using namespace std::string_literals;
    std::string block =
        "Softwares \0*.zip,*.rar,*.exe\0\0"s
        "MultiMedia files\0*.mpg,*.avi,*.rm*,*.mpeg\0\0"s
        "Music files\0*.mp3,*.wav\0\0"s
        "Html documents\0*.htm,*.html,*.xml\0\0"s
        "\0"s;
    block.resize(8192, '\0');
    return block;
}

// Every field away from its default, with NULs, high bytes and full-size buffers.
Settings unusualSettings() {
    using namespace std::string_literals;
    Settings s;
    s.pageColumnCount = 3;
    s.shareAccountName = std::string(127, 'n');
    s.shareAccountPassword = "p\xE4ss w\xF6rd";
    s.reservedTexts = {""s, "r\0\xFFq"s, std::string(128, '\x7F')};
    s.watchedFolders = "/home/a/\0/srv/b c/\0"s;
    s.reservedBytes = {1, 2, 3, 4, 5, 6, 7, char(0xFF)};
    s.savedSearchCount = 2;
    s.savedSearchBlock = {};
    std::string block = "Docs\0*.pdf\0/home/\0Big\0\0\0\0"s;
    std::copy(block.begin(), block.end(), s.savedSearchBlock.begin());
    s.addressHistory = "ftp:\\\\host\\dir\\\0/tmp/\0"s;
    s.loginHosts = "ftp.example.org\0"s;
    s.loginUsers = "anna\0"s;
    s.loginPasswords = "\x01secret\0"s;
    s.recentCatalogs = std::string(4095, 'c') + '\0';
    return s;
}

TEST(Workspace, FirstStartUsesDefaultsAndSavesThemAsHandBuiltBytesPrivately) {
    TempDir dir;
    Workspace ws(dir.path(), {"/", "/home/"});
    EXPECT_EQ(ws.paths().settingsFile, dir.path() + "/cfg.dat");
    EXPECT_EQ(ws.paths().shareFolder, dir.path() + "/share/");
    EXPECT_EQ(ws.paths().resultPage, dir.path() + "/4.html");
    EXPECT_EQ(ws.settings(), Settings{});
    EXPECT_EQ(ws.fixedDriveList(), "/,/home/");
    EXPECT_EQ(ws.scanFolders(), ws.fixedDriveList());
    EXPECT_EQ(ws.excludeFolders(), "");
    EXPECT_FALSE(fs::exists(ws.paths().settingsFile));

    using namespace std::string_literals;
    std::string expected = le32(14) + le32(1) + textRow("Guest\0"s) + textRow("\0"s) +
                           textRow("\0"s) + textRow("\0"s) + textRow("\0"s) + textRow("") +
                           std::string(8, '\0') + le32(4) + builtInBlockByHand();
    for (int list = 0; list < 5; ++list) expected += le32(0);
    ASSERT_EQ(expected.size(), 8266u);
    EXPECT_EQ(encodeSettings(Settings{}, 7), expected);
    ASSERT_TRUE(ws.saveSettings(7)) << ws.lastError();
    EXPECT_EQ(readFile(ws.paths().settingsFile), expected);
    // It holds the share account's password: others never read it, whatever the umask and
    // the mode the file had before.
    struct stat st {};
    ASSERT_EQ(::stat(ws.paths().settingsFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(::chmod(ws.paths().settingsFile.c_str(), 0644), 0);
    const mode_t umask = ::umask(0);
    const bool savedAgain = ws.saveSettings(7);
    ::umask(umask);
    ASSERT_TRUE(savedAgain) << ws.lastError();
    ASSERT_EQ(::stat(ws.paths().settingsFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // Only cfg.dat is left: no temporary file beside it.
    EXPECT_EQ(test::namesInFolder(dir.path()), std::vector<std::string>{"cfg.dat"});
    // The next start reads them back (the capacity is twice the record count).
    Workspace next(dir.path(), {"/"});
    Settings defaults;
    defaults.initialColumnCapacity = 14;
    EXPECT_EQ(next.settings(), defaults);
}

TEST(Workspace, EveryFieldSurvivesSaveAndRestart) {
    TempDir dir;
    Workspace first(dir.path(), {});
    first.settings() = unusualSettings();
    ASSERT_TRUE(first.saveSettings(1500));
    EXPECT_EQ(readFile(first.paths().settingsFile).substr(0, 4), le32(3000));

    Workspace second(dir.path(), {});
    Settings expected = unusualSettings();
    expected.initialColumnCapacity = 3000;
    EXPECT_EQ(second.settings(), expected);

    // Saved again unchanged, the file is the same to the byte.
    std::string before = readFile(first.paths().settingsFile);
    ASSERT_TRUE(second.saveSettings(1500));
    EXPECT_EQ(readFile(first.paths().settingsFile), before);
}

TEST(Workspace, AFileCutShortKeepsItsWholeRowsAndDefaultsTheRest) {
    const Settings full = unusualSettings();
    const std::string bytes = encodeSettings(full, 42);
    // Cut inside the saved-search block: its count is taken only with the block.
    const size_t cut = bytes.find(full.watchedFolders) + full.watchedFolders.size() + 8 + 4 + 100;
    TempDir dir;
    writeFile(dir.path() + "/cfg.dat", std::string_view(bytes).substr(0, cut));
    Workspace ws(dir.path(), {});
    EXPECT_EQ(ws.settings().watchedFolders, full.watchedFolders);
    EXPECT_EQ(ws.settings().shareAccountPassword, full.shareAccountPassword);
    EXPECT_EQ(ws.settings().savedSearchCount, 4);
    EXPECT_EQ(ws.settings().recentCatalogs, "");
}

TEST(Workspace, OversizedTextsAreCutToTheirBuffersAndReadingGoesOn) {
    using namespace std::string_literals;
    std::string watched;
    while (watched.size() < 12288 + 40)
        watched += "/srv/folder-" + std::to_string(watched.size()) + "/\0"s;
    std::string bytes = le32(5) + le32(2) + textRow(std::string(300, 'A')) +
                        textRow("secret\0"s + std::string(90, 'z')) +
                        textRow(std::string(129, 'r')) + textRow("") + textRow("\0"s) +
                        textRow(watched) + std::string(8, 'b') + le32(3) + builtInBlockByHand() +
                        textRow(std::string(5000, 'h')) +
                        textRow(std::string(4000, 'u') + "\0"s + std::string(200, 'v') + "\0"s);

    Settings s;
    EXPECT_EQ(parseSettings(bytes, s), 13);  // rows 14 to 16 are missing
    EXPECT_EQ(s.initialColumnCapacity, 5);
    EXPECT_EQ(s.pageColumnCount, 2);
    EXPECT_EQ(s.shareAccountName, std::string(127, 'A'));  // its NUL still fits
    EXPECT_EQ(s.shareAccountPassword, "secret");
    EXPECT_EQ(s.reservedTexts[0], std::string(128, 'r'));
    EXPECT_EQ(s.reservedTexts[1], "");
    EXPECT_EQ(s.reservedTexts[2], "\0"s);
    // Cut back to the last whole folder rather than leave a half path.
    EXPECT_LE(s.watchedFolders.size(), 12288u);
    EXPECT_GT(s.watchedFolders.size(), 12288u - 40);
    EXPECT_EQ(s.watchedFolders.back(), '\0');
    EXPECT_EQ(watched.compare(0, s.watchedFolders.size(), s.watchedFolders), 0);
    EXPECT_EQ(watched[s.watchedFolders.size()], '/');
    EXPECT_EQ(s.reservedBytes, (std::array<char, 8>{'b', 'b', 'b', 'b', 'b', 'b', 'b', 'b'}));
    EXPECT_EQ(s.savedSearchCount, 3);
    EXPECT_EQ(s.addressHistory, "");  // over its buffer and no entry ends inside it
    EXPECT_EQ(s.loginHosts, std::string(4000, 'u') + "\0"s);
    EXPECT_EQ(s.loginUsers, "");

    // What was cut is written back within the buffers, and reads back the same.
    Settings again;
    EXPECT_EQ(parseSettings(encodeSettings(s, 0), again), 16);
    again.initialColumnCapacity = s.initialColumnCapacity;
    EXPECT_EQ(again, s);
}

TEST(Workspace, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    Workspace ws(dir.path(), {});
    ASSERT_TRUE(ws.saveSettings(10));
    const std::string old = readFile(ws.paths().settingsFile);
    ws.settings().shareAccountName = "Changed";

    // A full disk stops the write half way.
    bool written = true;
    test::withFileSizeLimit(4096, [&] { written = ws.saveSettings(20); });
    EXPECT_FALSE(written);
    EXPECT_NE(ws.lastError().find("cfg.dat"), std::string::npos) << ws.lastError();
    EXPECT_EQ(readFile(ws.paths().settingsFile), old);
    EXPECT_EQ(test::namesInFolder(dir.path()), std::vector<std::string>{"cfg.dat"});

    // A folder the user may not write to (root may write anywhere, so only for others).
    if (::geteuid() != 0) {
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(ws.saveSettings(20));
        fs::permissions(dir.path(), fs::perms::owner_all);
        EXPECT_EQ(readFile(ws.paths().settingsFile), old);
    }

    // A program directory that is gone.
    Workspace gone(dir.path() + "/missing", {});
    EXPECT_FALSE(gone.saveSettings(10));
    EXPECT_FALSE(fs::exists(dir.path() + "/missing"));
}

TEST(Workspace, CurrentFileTimeFollowsTheClockAndLeavesAnEmptyStampFile) {
    TempDir dir;
    Workspace ws(dir.path(), {});
    constexpr uint64_t kSecond = 10000000;
    // File systems stamp from a coarse clock, a few milliseconds behind.
    uint64_t before = systemFileTime();
    uint64_t first = ws.currentFileTime();
    uint64_t after = systemFileTime();
    EXPECT_GE(first + kSecond, before);
    EXPECT_LE(first, after + kSecond);
    EXPECT_EQ(fs::file_size(ws.paths().timeStampFile), 0u);

    // An old stamp file, empty or not, is emptied and stamped anew.
    for (std::string_view contents : {"", "left over"}) {
        writeFile(ws.paths().timeStampFile, contents);
        timespec old[2] = {{1000, 0}, {1000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, ws.paths().timeStampFile.c_str(), old, 0), 0);
        uint64_t again = ws.currentFileTime();
        EXPECT_GE(again, first);
        EXPECT_LE(again, systemFileTime() + kSecond);
        EXPECT_EQ(fs::file_size(ws.paths().timeStampFile), 0u);
    }

    // No stamp file possible: the system clock stands in.
    Workspace gone(dir.path() + "/missing", {});
    before = systemFileTime();
    uint64_t fallback = gone.currentFileTime();
    EXPECT_GE(fallback, before);
    EXPECT_LE(fallback, systemFileTime());
}

TEST(Workspace, MountTableGivesLocalDiskRootsOnceInFileOrder) {
    const char* mounts =
        "proc /proc proc rw,nosuid 0 0\n"
        "/dev/sda2 / ext4 rw,relatime 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sdb1 /media/My\\040Disk vfat rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "/dev/sda2 / ext4 rw,relatime 0 0\n"
        "server:/export /mnt/nfs nfs4 rw 0 0\n"
        "me@host: /mnt/ssh fuse.sshfs rw 0 0\n"
        "/dev/sdc1 /mnt/win fuseblk rw 0 0\n"
        "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n"
        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
        "broken-line-without-fields\n"
        "\n"
        "/dev/sdd1 /data\\011tab\\134x xfs rw 0 0\n"
        "/dev/sda3\t/home btrfs rw 0 0";
    std::vector<std::string> expected = {"/", "/media/My Disk", "/mnt/win", "/data\ttab\\x",
                                         "/home"};
    EXPECT_EQ(parseLocalMounts(mounts), expected);

    EXPECT_EQ(fixedDriveListText({"/", "/media/My Disk", "/mnt/a,b", "/home/"}),
              "/,/media/My Disk/,/home/");
    // Roots past the folder text's room are left out whole, never cut.
    std::vector<std::string> many(200, "/" + std::string(40, 'm'));
    for (size_t i = 0; i < many.size(); ++i) many[i] += std::to_string(i);
    std::string list = fixedDriveListText(many);
    EXPECT_LE(list.size(), kFolderTextBuffer - 1);
    EXPECT_EQ(list.back(), '/');
}

}  // namespace
}  // namespace varnel
