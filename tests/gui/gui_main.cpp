// The window's tests run the real widgets on Qt's offscreen platform.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <string>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The preview tests start Qt WebEngine, whose Chromium will not run as root (as tests do
    // here and in CI) with its sandbox on. Offscreen it draws without a GPU on its own.
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    // Qt wants a private runtime folder; the test gets its own.
    std::string runtime = "/tmp/varnel-gui-XXXXXX";
    if (mkdtemp(runtime.data())) setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    QApplication app(argc, argv);
    // The window remembers its size and the dialogs' folder: in a settings place of the
    // tests' own (~/.qttest), emptied first, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setOrganizationName(QStringLiteral("Varnel"));
    QApplication::setApplicationName(QStringLiteral("varnel-gui-tests"));
    QSettings().clear();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    rmdir(runtime.c_str());
    return result;
}
