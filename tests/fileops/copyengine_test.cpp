#include "fileops/copyengine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "support/ftpsessionrig.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::fileExists;
using test::namesInFolder;
using test::readFile;
using test::writeFile;

// The one message of a failed job: the fixed text, then the first failure's reason.
void expectCopyError(const std::vector<std::string>& told, std::string_view reason = "") {
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].rfind("Copy file error!!!\n", 0), 0u) << told[0];
    EXPECT_NE(told[0].find(reason), std::string::npos) << told[0];
}

std::string randomBytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
}

// A session logged in to every host of `server`, when there is one.
struct Rig : test::FtpSessionRig {
    explicit Rig(const test::FtpTestServer* server) {
        if (server)
            logIn(*server, {server->host, server->listHost, server->dropHost, server->shortHost});
    }
    test::RecordingProgress progress;
    CopyEngine engine{session, prompt, progress};
};

class CopyEngineTest : public test::FtpServerTest {
  protected:
    test::TempDir local;
};

TEST(CopyStatus, SpeedsInDecimalUnitsAndTimesTwoDigitSeconds) {
    EXPECT_EQ(FormatCopySpeed(999), "999 B/s");
    EXPECT_EQ(FormatCopySpeed(57317376), "57.3 MB/s");
    EXPECT_EQ(FormatCopySpeed(999960), "1.0 MB/s");  // never "1000.0 KB/s"
    EXPECT_EQ(FormatCopyStatus(true, 3 * 1048576 + 5242, 2048, 125, "a.bin"),
              "3.00M 2.0 KB/s 2:05  a.bin");
    EXPECT_EQ(FormatCopyStatus(false, 0, 0, 3600, "x"), "0.00M 0 B/s 60:00 x");
}

TEST_F(CopyEngineTest, UploadsAndDownloadsEveryChunkBoundaryByteExact) {
    const std::vector<size_t> sizes = {0, 65535, 65536, 65537, 3 * 1048576 + 17};
    CopyJob up;
    up.destination = folder->url(server->host);
    for (size_t i = 0; i < sizes.size(); ++i) {
        const std::string name = "f" + std::to_string(sizes[i]) + " \xc3\xa9.bin";
        writeFile(local.file(name), randomBytes(sizes[i], uint32_t(i)));
        up.sources.push_back(local.file(name));
        up.totalSize += sizes[i];
    }
    Rig rig(server);
    ASSERT_TRUE(rig.engine.RunCopyJob(up)) << rig.engine.lastError();
    EXPECT_EQ(rig.progress.captions(), std::vector<std::string>{"Copying file..."});
    EXPECT_EQ(rig.progress.closes(), 1);

    test::TempDir back;
    CopyJob down;
    down.destination = back.path() + "/";
    down.totalSize = up.totalSize;
    for (const std::string& source : up.sources) {
        const std::string name = fs::path(source).filename();
        ASSERT_EQ(readFile(folder->local(name)), readFile(source)) << name;
        down.sources.push_back(folder->url(server->listHost, name));
    }
    ASSERT_TRUE(rig.engine.RunCopyJob(down)) << rig.engine.lastError();
    for (const std::string& source : up.sources)
        EXPECT_EQ(readFile(back.file(fs::path(source).filename().string())), readFile(source));
    EXPECT_TRUE(rig.prompt.told().empty());
    EXPECT_EQ(rig.progress.closes(), 2);
}

// Cancel in the middle of the second of three files: the first stays whole, nothing of the
// second is left, the third is not touched, and the job reports an error once.
TEST_F(CopyEngineTest, CancelDuringTheSecondOfThreeFilesBothWays) {
    const size_t size = 1048576;
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
        writeFile(folder->local(name), randomBytes(size, 7));
        writeFile(local.file(name), randomBytes(size, 8));
    }
    for (bool download : {true, false}) {
        Rig rig(server);
        rig.client.faults.onChunk = [&](const std::string& path, uint64_t bytes) {
            if (path.ends_with("/b.bin") && bytes >= 65536) rig.progress.cancel();
        };
        test::TempDir into;
        test::ServerFolder upTo(*server, "upload");
        CopyJob job;
        job.destination = download ? into.path() + "/" : upTo.url(server->host);
        for (const char* name : {"a.bin", "b.bin", "c.bin"})
            job.sources.push_back(download ? folder->url(server->host, name) : local.file(name));
        job.totalSize = 3 * size;
        EXPECT_FALSE(rig.engine.RunCopyJob(job)) << download;
        expectCopyError(rig.prompt.told(), "b.bin");
        const std::string to = download ? into.path() + "/" : upTo.local(),
                          from = download ? folder->local() : local.path() + "/";
        EXPECT_EQ(readFile(to + "a.bin"), readFile(from + "a.bin")) << download;
        // Nothing of the cut file stays, under its name or a temporary one.
        EXPECT_EQ(namesInFolder(to), std::vector<std::string>{"a.bin"}) << download;
    }
}

TEST_F(CopyEngineTest, OverwriteQuestionAnsweredNoEndsTheJob) {
    for (const char* name : {"a.bin", "b.bin", "c.bin"})
        writeFile(folder->local(name), std::string(3000, name[0]));
    writeFile(local.file("b.bin"), "mine");
    CopyJob job;
    job.destination = local.path() + "/";
    for (const char* name : {"a.bin", "b.bin", "c.bin"})
        job.sources.push_back(folder->url(server->host, name));
    job.totalSize = 9000;
    {
        Rig rig(server);
        rig.prompt.answers = {Answer::No};
        EXPECT_FALSE(rig.engine.RunCopyJob(job));
        EXPECT_EQ(rig.prompt.asked(),
                  std::vector<std::string>{"Destination  File :\"" + local.file("b.bin") +
                                           "\" already exists, continue?"});
        expectCopyError(rig.prompt.told(), "Not replaced");
        EXPECT_EQ(readFile(local.file("a.bin")), std::string(3000, 'a'));
        EXPECT_EQ(readFile(local.file("b.bin")), "mine");
        EXPECT_FALSE(fileExists(local.file("c.bin")));
    }
    Rig rig(server);
    rig.prompt.answers = {Answer::Yes, Answer::Yes};
    EXPECT_TRUE(rig.engine.RunCopyJob(job)) << rig.engine.lastError();
    EXPECT_EQ(rig.prompt.asked().size(), 2u);
    EXPECT_EQ(readFile(local.file("b.bin")), std::string(3000, 'b'));
    EXPECT_EQ(readFile(local.file("c.bin")), std::string(3000, 'c'));
}

// An upload the server refuses, or whose line breaks, is a failure, even when the break
// comes with the last chunk, after the whole local file was read.
TEST_F(CopyEngineTest, UploadReportsRefusedWritesAndBrokenLines) {
    writeFile(local.file("big.bin"), randomBytes(1048576, 3));
    writeFile(local.file("small.bin"), randomBytes(3000, 4));
    Rig reader(nullptr);
    reader.session.addSessionLogin(server->host, "anonymous", "");  // may only read
    EXPECT_FALSE(reader.engine.CopyFiles(folder->url(server->host), {local.file("big.bin")}, 1));
    // The server's reply is the reason, not the local file.
    EXPECT_NE(reader.engine.lastError().find("550"), std::string::npos)
        << reader.engine.lastError();
    EXPECT_EQ(reader.engine.lastError().find("Cannot read"), std::string::npos);
    EXPECT_FALSE(fileExists(folder->local("big.bin")));

    // What arrived of a broken upload is taken back.
    Rig rig(server);
    EXPECT_FALSE(rig.engine.CopyFiles(folder->url(server->dropHost), {local.file("big.bin")}, 1));
    rig.client.faults.dropAfterBytes = 2900;
    EXPECT_FALSE(rig.engine.CopyFiles(folder->url(server->host), {local.file("small.bin")}, 3000));
    EXPECT_FALSE(fileExists(folder->local("small.bin")));
    rig.client.faults.dropAfterBytes = -1;
    EXPECT_TRUE(rig.engine.CopyFiles(folder->url(server->host), {local.file("small.bin")}, 3000))
        << rig.engine.lastError();
}

TEST_F(CopyEngineTest, DownloadFailuresLeaveWhatWasThere) {
    writeFile(folder->local("big.bin"), randomBytes(1048576, 5));
    writeFile(local.file("big.bin"), "the good old copy");
    writeFile(local.file("gone.bin"), "keep me");
    Rig rig(server);
    // A broken line is a failure, not a short file that ended early; the old copy stays.
    rig.prompt.answers = {Answer::Yes};
    EXPECT_FALSE(rig.engine.CopyFiles(local.path() + "/",
                                      {folder->url(server->dropHost, "big.bin")}, 1048576));
    EXPECT_EQ(readFile(local.file("big.bin")), "the good old copy");
    // A server that sends half and calls it complete, and refuses SIZE: its listing tells.
    rig.prompt.answers = {Answer::Yes};
    EXPECT_FALSE(rig.engine.CopyFiles(local.path() + "/",
                                      {folder->url(server->shortHost, "big.bin")}, 1048576));
    EXPECT_NE(rig.engine.lastError().find("524288 of its 1048576 bytes"), std::string::npos)
        << rig.engine.lastError();
    EXPECT_EQ(readFile(local.file("big.bin")), "the good old copy");
    EXPECT_EQ(namesInFolder(local.path()), (std::vector<std::string>{"big.bin", "gone.bin"}));
    // Replacing a file with one the server does not have leaves the old one alone.
    rig.prompt.answers = {Answer::Yes};
    EXPECT_FALSE(
        rig.engine.CopyFiles(local.path() + "/", {folder->url(server->host, "gone.bin")}, 1));
    EXPECT_EQ(readFile(local.file("gone.bin")), "keep me");

    // Without a login the job ends at once, before any traffic.
    Rig stranger(nullptr);
    const size_t log = server->logSize();
    EXPECT_FALSE(stranger.engine.RunCopyJob(
        {local.path() + "/", {folder->url(server->host, "big.bin")}, 1048576}));
    expectCopyError(stranger.prompt.told());
    EXPECT_EQ(server->logSince(log), "");
}

TEST(LocalCopy, CopiesToANewNameAndNeverOverAnExistingOne) {
    test::TempDir dir;
    writeFile(dir.file("from"), randomBytes(3 * 1048576 + 1, 9));
    writeFile(dir.file("taken"), "old");
    Rig rig(nullptr);
    CopyEngine& engine = rig.engine;
    EXPECT_TRUE(engine.CopyFiles(dir.file("to"), {dir.file("from")}, 3 * 1048576 + 1));
    EXPECT_EQ(readFile(dir.file("to")), readFile(dir.file("from")));
    EXPECT_FALSE(engine.CopyFiles(dir.file("taken"), {dir.file("from")}, 1));
    EXPECT_EQ(readFile(dir.file("taken")), "old");
    EXPECT_FALSE(engine.CopyFiles(dir.file("new"), {dir.file("missing")}, 1));
    EXPECT_FALSE(fileExists(dir.file("new")));
}

}  // namespace
}  // namespace varnel
