#include "remote/ftpsession.h"
#include "remote/ftpnames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/ftpsessionrig.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using namespace std::chrono_literals;
using test::countLines;
using test::LocalPort;
using test::writeFile;

// A session with the fault-injecting client between it and libcurl.
class FtpSessionTest : public test::FtpServerTest, public test::FtpSessionRig {
  protected:
    void login(const std::string& host) { logIn(*server, {host}); }
    // A login to `port` whose progress is cancelled after `delay`; how long it went on after.
    std::chrono::nanoseconds loginCancelledAfter(const LocalPort& port,
                                                 std::chrono::milliseconds delay,
                                                 test::RecordingProgress& progress) {
        session.addSessionLogin(port.host, "u", "p");
        auto cancelledAt = std::chrono::steady_clock::now();
        progress.whileShown = [&] {
            std::this_thread::sleep_for(delay);
            cancelledAt = std::chrono::steady_clock::now();
            progress.cancel();
        };
        EXPECT_EQ(session.LoginWithProgress("ftp://" + port.host + "/", progress), nullptr);
        return std::chrono::steady_clock::now() - cancelledAt;
    }
};

// A wrong password is not tried again: the session forgets it, the next attempt sends
// nothing, and the next visit asks for the login with the server's reply.
TEST_F(FtpSessionTest, AWrongPasswordIsForgottenAndTheNextVisitAsksWithTheReply) {
    const std::string url = folder->url(server->host);
    session.addSessionLogin(server->host, server->user, "wrong password");
    bool retry = true;
    EXPECT_EQ(session.ConnectFtp(url, &retry), nullptr);
    EXPECT_FALSE(retry);
    EXPECT_TRUE(session.lastLoginRefused());
    EXPECT_NE(session.lastFtpError().find("530"), std::string::npos) << session.lastFtpError();
    EXPECT_TRUE(prompt.asked().empty());  // no "Retry connect?": it cannot help
    size_t log = server->logSize();
    EXPECT_EQ(session.ConnectFtp(url), nullptr);
    EXPECT_EQ(countLines(server->logSince(log), "mlsd "), 0);
    std::string name = url;
    SwapFtpSeparators(name);
    dialogs.answerWith(server->user, server->password);
    ASSERT_TRUE(session.PromptRemoteLogin(name));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].message.find("530"), std::string::npos);

    FtpConnection* connection = session.ConnectFtp(url, &retry);
    ASSERT_NE(connection, nullptr) << session.lastFtpError();
    EXPECT_EQ(connection->serverName(), server->host);

    // A host nobody logged in to is not even tried.
    log = server->logSize();
    EXPECT_EQ(session.ConnectFtp("ftp://" + server->listHost + "/"), nullptr);
    EXPECT_TRUE(session.lastFtpError().empty());
    EXPECT_EQ(countLines(server->logSince(log), "list "), 0);
}

TEST_F(FtpSessionTest, AnonymousInAnyLetterCaseNeverSendsTheStoredPassword) {
    session.addSessionLogin(server->host, "AnOnYmOuS", "stored-secret");
    const size_t log = server->logSize();
    std::vector<FtpEntry> entries;
    ASSERT_TRUE(session.FindFtpFiles(folder->url(server->host), entries)) << session.lastFtpError();
    const std::string said = server->logSince(log);
    EXPECT_EQ(countLines(said, "mlsd USER anonymous"), 1) << said;
    EXPECT_EQ(said.find("stored-secret"), std::string::npos) << said;
}

TEST_F(FtpSessionTest, LoginWithProgressThenRemovesAndRenamesAndReportsRefusals) {
    writeFile(folder->local("old name.txt"), "keep me");
    login(server->host);
    test::RecordingProgress progress;
    const std::string url = folder->url(server->host);
    FtpConnection* c = session.LoginWithProgress(url, progress);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c, session.transferConnection());
    EXPECT_EQ(progress.captions(), std::vector<std::string>{"Login FTP..."});
    EXPECT_EQ(progress.statuses(), std::vector<std::string>{url});
    EXPECT_EQ(progress.closes(), 1);

    client.faults.refuseRename = true;
    EXPECT_FALSE(c->rename(folder->path("old name.txt"), folder->path("new name.txt")));
    EXPECT_NE(c->errorText().find("550"), std::string::npos);
    EXPECT_TRUE(test::fileExists(folder->local("old name.txt")));
    client.faults.refuseRename = false;
    ASSERT_TRUE(c->rename(folder->path("old name.txt"), folder->path("new name.txt")))
        << c->errorText();
    EXPECT_EQ(test::readFile(folder->local("new name.txt")), "keep me");
    EXPECT_FALSE(test::fileExists(folder->local("old name.txt")));

    ASSERT_TRUE(c->remove(folder->path("new name.txt"))) << c->errorText();
    EXPECT_FALSE(test::fileExists(folder->local("new name.txt")));
    EXPECT_FALSE(c->remove(folder->path("new name.txt")));
    EXPECT_NE(c->errorText().find("550"), std::string::npos) << c->errorText();
    // A path that would smuggle a second command is never sent.
    EXPECT_FALSE(c->remove(folder->path("x\r\nDELE y")));
}

TEST_F(FtpSessionTest, PromptsOncePerRootUntilLogOutAndKeepsOneSavedLoginPerHost) {
    const std::string root = "ftp:\\\\" + server->host;
    dialogs.answerWith("someone", "pw1", /*save=*/true);
    ASSERT_TRUE(session.PromptRemoteLogin(root + "\\pub\\"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].server, server->host);
    EXPECT_FALSE(dialogs.shown[0].save);
    EXPECT_TRUE(session.PromptRemoteLogin(root + "\\other\\"));
    EXPECT_TRUE(session.PromptRemoteLogin(root));
    EXPECT_EQ(dialogs.shown.size(), 1u);
    using namespace std::string_literals;
    EXPECT_EQ(settings.loginHosts, server->host + '\0');
    EXPECT_EQ(settings.loginUsers, "someone\0"s);

    // After log-out the saved login is preset; saving again leaves one entry, in front.
    session.LogOut();
    dialogs.answerWith(server->user, server->password, true);
    ASSERT_TRUE(session.PromptRemoteLogin(root + "\\"));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].user, "someone");
    EXPECT_EQ(dialogs.shown[1].password, "pw1");
    EXPECT_TRUE(dialogs.shown[1].save);
    EXPECT_EQ(dialogs.shown[1].userNames, std::vector<std::string>{"someone"});
    EXPECT_EQ(settings.loginHosts, server->host + '\0');
    EXPECT_EQ(settings.loginUsers, server->user + '\0');
    ASSERT_NE(session.ConnectFtp(folder->url(server->host)), nullptr);

    // Cancel: not logged in, and the next visit asks again.
    dialogs.answer = [](LoginForm&) { return false; };
    const std::string other = "ftp:\\\\" + server->listHost + "\\x\\";
    EXPECT_FALSE(session.PromptRemoteLogin(other));
    EXPECT_FALSE(session.PromptRemoteLogin(other));
    EXPECT_EQ(dialogs.shown.size(), 4u);

    // Network names are reached through their mount points.
    EXPECT_TRUE(session.PromptRemoteLogin("\\\\server\\share\\dir\\"));
    EXPECT_TRUE(session.PromptRemoteLogin("\\\\server\\"));
    EXPECT_EQ(dialogs.shown.size(), 4u);
}

TEST_F(FtpSessionTest, LogInAsksForAFolderAndTheLoginFormFollowsItsRules) {
    dialogs.folder = "ftp:\\\\" + server->host + "\\pub\\";
    dialogs.answer = [](LoginForm& form) {
        setLoginAnonymous(form, true);
        return true;
    };
    session.LogIn();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].server, server->host);
    FtpLogin login;
    ASSERT_TRUE(session.sessionLogin(server->host, login));
    EXPECT_TRUE(login.anonymous);
    dialogs.folder = std::string(kTextSize, 'x');  // refused, not cut
    session.LogIn();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(prompt.told().size(), 1u);

    LoginForm form;
    form.userNames = {"ann", "bob"};
    form.savedPasswords = {"pa", "pb"};
    chooseLoginUser(form, 1);
    EXPECT_EQ(form.user, "bob");
    EXPECT_EQ(form.password, "pb");
    setLoginAnonymous(form, true);
    EXPECT_EQ(form.user, "Anonymous");
    EXPECT_EQ(form.password, "Varnel@");
    setLoginAnonymous(form, false);  // unticking changes nothing else
    EXPECT_EQ(form.user, "Anonymous");
    EXPECT_FALSE(form.anonymous);
    chooseLoginUser(form, 5);
    EXPECT_EQ(form.user, "Anonymous");
}

// Retries are paced at about one a second; Cancel ends the loop, or an attempt that hangs,
// within a second, and is no error worth a question.
TEST_F(FtpSessionTest, LoginRetriesOnceASecondAndCancelEndsEvenAHangingAttempt) {
    LocalPort refusing(false), silent(true);
    prompt.answers = {Answer::Ok};
    test::RecordingProgress retrying;
    EXPECT_LT(loginCancelledAfter(refusing, 2500ms, retrying), 1100ms);
    const auto captions = retrying.captions();
    // The first attempt, then one retry a second: two or three in 2.5 seconds, not thousands.
    ASSERT_GE(captions.size(), 2u);
    EXPECT_LE(captions.size(), 4u);
    EXPECT_EQ(captions[0], "Login FTP...");
    EXPECT_EQ(captions[1], "Login FTP retry:2");
    EXPECT_EQ(prompt.asked(), std::vector<std::string>{"Retry connect?"});

    const size_t told = prompt.told().size();
    test::RecordingProgress hanging;
    EXPECT_LT(loginCancelledAfter(silent, 300ms, hanging), 1000ms);
    EXPECT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.told().size(), told);
}

}  // namespace
}  // namespace varnel
