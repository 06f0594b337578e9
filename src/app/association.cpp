#include "app/association.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <cstdlib>

#include "platform/atomicfile.h"
#include "platform/fileio.h"
#include "platform/paths.h"

extern char** environ;

namespace varnel {

namespace {

bool holds(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    std::string present(bytes.size(), '\0');
    const bool same = ::fstat(fd, &st) == 0 && static_cast<size_t>(st.st_size) == bytes.size() &&
                      readFully(fd, present.data(), present.size()) && present == bytes;
    ::close(fd);
    return same;
}

// Writes `bytes` unless the file already holds them; `changed` says whether it wrote.
bool writeIfChanged(const std::string& path, const std::string& bytes, bool force, bool& changed) {
    changed = false;
    if (!force && holds(path, bytes)) return true;
    const size_t cut = path.rfind('/');
    if (!makeFolders(path.substr(0, cut))) return false;
    AtomicFile file(path, 0644);
    changed = file.write(bytes) && file.commit();
    return changed;
}

// Runs a helper with an argument vector, quietly; missing helpers are skipped.
void runHelper(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

// A desktop entry's Exec line quotes its program path.
std::string quotedExec(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string mimePackageText() {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"") +
           kCatalogMimeType +
           "\">\n"
           "    <comment>Varnel Database</comment>\n"
           "    <icon name=\"varnel\"/>\n"
           "    <glob pattern=\"*.fdb\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string desktopEntryText(const std::string& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Varnel\n"
           "Comment=File catalog and file manager\n"
           "Exec=" +
           quotedExec(executable) +
           " %f\n"
           "Icon=varnel\n"
           "Terminal=false\n"
           "Categories=System;FileTools;FileManager;\n"
           "MimeType=" +
           kCatalogMimeType + ";\n";
}

bool registerFileType(const std::string& dataHome, const std::string& executable,
                      const IconPainter& pngIcon, const std::string& svgIcon, bool force,
                      std::string& why) {
    const std::string mimeDir = dataHome + "/mime";
    const std::string appsDir = dataHome + "/applications";
    const std::string package = mimeDir + "/packages/varnel.xml";
    const std::string entry = appsDir + "/varnel.desktop";
    bool typeChanged = false, entryChanged = false, changed = false;
    if (!writeIfChanged(package, mimePackageText(), force, typeChanged)) {
        why = "cannot write " + package;
        return false;
    }
    if (!writeIfChanged(entry, desktopEntryText(executable), force, entryChanged)) {
        why = "cannot write " + entry;
        return false;
    }
    for (int size : kIconSizes) {
        const std::string path = dataHome + "/icons/hicolor/" + std::to_string(size) + "x" +
                                 std::to_string(size) + "/apps/varnel.png";
        struct stat st {};
        if (!force && ::stat(path.c_str(), &st) == 0) continue;
        if (!pngIcon) continue;
        if (!writeIfChanged(path, pngIcon(size), true, changed)) {
            why = "cannot write " + path;
            return false;
        }
    }
    const std::string scalable = dataHome + "/icons/hicolor/scalable/apps/varnel.svg";
    if (!svgIcon.empty() && !writeIfChanged(scalable, svgIcon, force, changed)) {
        why = "cannot write " + scalable;
        return false;
    }
    if (typeChanged) runHelper({"update-mime-database", mimeDir});
    if (entryChanged) runHelper({"update-desktop-database", appsDir});
    // The default handler lives in the user's own settings: only for the user's data folder,
    // and only when the program was installed or moved, so a handler the user chose since stays.
    if ((typeChanged || entryChanged) && dataHome == userDataHome())
        runHelper({"xdg-mime", "default", "varnel.desktop", kCatalogMimeType});
    return true;
}

std::string userDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

std::string executablePath() {
    std::string exe(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (n <= 0) return {};
    exe.resize(static_cast<size_t>(n));
    return exe;
}

}  // namespace varnel
