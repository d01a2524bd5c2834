// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The lifecycle: temporary folder, error log, stops and exit status, clock, call by name.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/files.h"
#include "runtime/lifecycle.h"
#include "tests/support/files.h"
#include "tests/support/test_folder.h"

namespace {

using ::testing::ExitedWithCode;

// Points the user's temporary folder into a private test folder.
class TempFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        if (old) savedTmp = old, hadTmp = true;
        setenv("TMPDIR", dir.path().c_str(), 1);
        runtimeSettings.debugMode = 0;
    }
    void TearDown() override {
        if (hadTmp)
            setenv("TMPDIR", savedTmp.c_str(), 1);
        else
            unsetenv("TMPDIR");
        runtimeSettings.debugMode = 0;
    }
    std::string privateFolder() const { return dir.path() + "/tovrik-" + std::to_string(getuid()); }
    TestFolder dir;
    std::string savedTmp;
    bool hadTmp = false;
};
using LifecycleDeathTest = TempFolderTest;

TEST_F(TempFolderTest, PrivateFolderIsCreatedWithMode0700) {
    std::string folder = userTempFolder();
    EXPECT_EQ(folder, privateFolder() + "/");
    struct stat st;
    ASSERT_EQ(lstat(privateFolder().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(userTempFolder(), folder);  // found again
    EXPECT_EQ(errorLogPath(), folder + "ErrorLog.txt");
}

TEST_F(TempFolderTest, LooserPermissionsOnOurOwnFolderAreTightened) {
    ASSERT_EQ(mkdir(privateFolder().c_str(), 0777), 0);
    chmod(privateFolder().c_str(), 0777);
    EXPECT_FALSE(userTempFolder().empty());
    struct stat st;
    ASSERT_EQ(stat(privateFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// A link planted under our name, or a file, is never used; the run says so once on standard
// error and goes on with a fresh private folder of its own.
TEST_F(LifecycleDeathTest, ARefusedFolderIsNamedOnceAndAFreshPrivateOneServes) {
    std::string elsewhere = dir.file("elsewhere");
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
    auto useTheFolder = [&elsewhere, this] {
        std::string folder = userTempFolder();
        struct stat st;
        bool ok = !folder.empty() && folder.rfind(privateFolder() + "/", 0) != 0 &&
                  userTempFolder() == folder && lstat(folder.c_str(), &st) == 0 &&
                  S_ISDIR(st.st_mode) && (st.st_mode & 0777) == 0700 && st.st_uid == getuid();
        appendErrorLog("kept apart");
        ok = ok && listFolder(elsewhere).empty() && readText(errorLogPath()) == "kept apart\r\n";
        std::exit(ok ? 0 : 1);
    };
    const std::string refused = "^Tovrik: temporary folder " + privateFolder() + " refused \\(";
    ASSERT_EQ(symlink(elsewhere.c_str(), privateFolder().c_str()), 0);
    EXPECT_EXIT(useTheFolder(), ExitedWithCode(0),
                refused + "it is a symbolic link\\); using [^\n]* for this run\n$");
    unlink(privateFolder().c_str());
    writeText(privateFolder(), "a file, not a folder");
    EXPECT_EXIT(useTheFolder(), ExitedWithCode(0),
                refused + "it is not a folder\\); using [^\n]* for this run\n$");
}

TEST_F(TempFolderTest, ErrorLogAppendsCrLfLinesAndIsDeletedOnRequest) {
    appendErrorLog("OpenGL Software Emulation");
    appendErrorLog("No DX_Input");
    EXPECT_EQ(readText(errorLogPath()), "OpenGL Software Emulation\r\nNo DX_Input\r\n");
    struct stat st;
    ASSERT_EQ(stat(errorLogPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    deleteErrorLog();
    EXPECT_FALSE(pathExists(errorLogPath()));
    deleteErrorLog();  // nothing there: harmless
}

TEST_F(TempFolderTest, ALineIsDroppedWhileTheLogIsHeldOpenElsewhere) {
    appendErrorLog("first");
    int holder = open(errorLogPath().c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    appendErrorLog("dropped after five attempts");
    close(holder);
    appendErrorLog("third");
    EXPECT_EQ(readText(errorLogPath()), "first\r\nthird\r\n");
}

TEST_F(LifecycleDeathTest, NormalEndExitsWithStatusZeroAndNoMessage) {
    EXPECT_EXIT(endProgram(), ExitedWithCode(0), "^$");
}

TEST_F(LifecycleDeathTest, RuntimeErrorExitsWithItsCodeAndOneLine) {
    EXPECT_EXIT(runtimeError(kErrorIndex), ExitedWithCode(9),
                "^Tovrik: runtime error 9 \\(array index out of range\\)\n$");
    EXPECT_EXIT(runtimeError(kErrorNoData), ExitedWithCode(20), "runtime error 20");
    auto withLine = [] {
        setSourcePosition(2, 57);
        runtimeError(kErrorRange);
    };
    EXPECT_EXIT(withLine(), ExitedWithCode(7), "runtime error 7 .* at line 57");
}

TEST_F(LifecycleDeathTest, StopWithoutAnErrorCodeIsANormalEnd) {
    auto stop = [] {
        setErrorCode(0);
        stopProgram();
    };
    EXPECT_EXIT(stop(), ExitedWithCode(0), "^$");
}

// A missing line file records code 3 and a bad entry number code 7, and the program goes on;
// closing the window afterwards is still a normal end that completes the open save.
TEST_F(LifecycleDeathTest, ANormalEndAfterARecordedCodeExitsZeroAndCommits) {
    std::string save = dir.file("Player.bin");
    writeText(save, "old!");
    auto closeAfterRecordedCodes = [&save] {
        setErrorCode(kErrorFileTransfer);
        openChannel(1, TextValue(save.c_str()), 0);
        writeLong(1, 0x2177656e);  // "new!"
        setErrorCode(kErrorRange);
        stopProgram();
    };
    EXPECT_EXIT(closeAfterRecordedCodes(), ExitedWithCode(0), "^$");
    EXPECT_EQ(readText(save), "new!");
}

TEST_F(LifecycleDeathTest, BufferedOutputIsFlushedOnStop) {
    std::string path = dir.file("buffered.txt");
    auto writeAndStop = [&path] {
        FILE* f = std::fopen(path.c_str(), "w");
        std::fputs("kept", f);  // still in the stream's buffer
        runtimeError(kErrorIndex);
    };
    EXPECT_EXIT(writeAndStop(), ExitedWithCode(9), "");
    EXPECT_EQ(readText(path), "kept");
}

TEST_F(LifecycleDeathTest, DebugModeWritesTheFiveEndLines) {
    auto failInDebug = [] {
        runtimeSettings.debugMode = 1;
        runtimeError(kErrorIndex);
    };
    EXPECT_EXIT(failInDebug(), ExitedWithCode(9), "");
    EXPECT_EQ(readText(privateFolder() + "/ErrorLog.txt"), "-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n");
}

TEST_F(LifecycleDeathTest, DebugModeOffWritesNothingToTheLog) {
    EXPECT_EXIT(runtimeError(kErrorIndex), ExitedWithCode(9), "");
    EXPECT_FALSE(pathExists(privateFolder() + "/ErrorLog.txt"));
}

// Releases and clean-ups report themselves on standard error, which the death test matches.
void report(const char* what) { std::fputs(what, stderr); }

TEST_F(LifecycleDeathTest, StopReleasesServicesInTheFixedOrderThenCleansUp) {
    auto stop = [] {
        setServiceRelease(ServiceStage::Window, [] { report("W"); });
        setServiceRelease(ServiceStage::Sound, [] { report("S"); });
        setServiceRelease(ServiceStage::Renderer, [] { report("R"); });
        setServiceRelease(ServiceStage::Archives, [] { report("A"); });
        setServiceRelease(ServiceStage::Input, [] { report("I"); });
        addExitCleanup([] { report("c1"); });
        addExitCleanup([] { report("c2"); });
        runtimeError(kErrorFileTransfer);
    };
    EXPECT_EXIT(stop(), ExitedWithCode(3), "^RISAWc1c2Tovrik: runtime error 3");
}

TEST_F(LifecycleDeathTest, AnErrorInsideAReleaseStillEndsWithEveryStageOnce) {
    auto stop = [] {
        setServiceRelease(ServiceStage::Renderer, [] { report("R"); });
        setServiceRelease(ServiceStage::Input, [] {
            report("I");
            runtimeError(kErrorRange);  // stops again from inside the shutdown
        });
        setServiceRelease(ServiceStage::Window, [] { report("W"); });
        endProgram();
    };
    EXPECT_EXIT(stop(), ExitedWithCode(7), "^RIWTovrik: runtime error 7");
}

TEST(ShutdownRegistry, EachReleaseRunsAtMostOnce) {
    static std::vector<char> calls;
    calls.clear();
    setServiceRelease(ServiceStage::Sound, [] { calls.push_back('S'); });
    setServiceRelease(ServiceStage::Renderer, [] { calls.push_back('R'); });
    setServiceRelease(ServiceStage::Archives, [] { calls.push_back('A'); });
    setServiceRelease(ServiceStage::Input, nullptr);
    shutdownRuntime();
    shutdownRuntime();
    EXPECT_EQ(calls, (std::vector<char>{'R', 'S', 'A'}));
}

TEST(ErrorState, SetErrorCodeRecordsTheCurrentLine) {
    setSourcePosition(3, 42);
    EXPECT_EQ(setErrorCode(5), 5);
    EXPECT_EQ(runtimeState.errorCode, 5);
    EXPECT_EQ(runtimeState.errorLine, 42);
    EXPECT_EQ(runtimeState.currentUnit, 3);
    setSourcePosition(0, 0);
    setErrorCode(0);
    EXPECT_EQ(runtimeState.errorLine, 0);
}

TEST(ErrorState, FlagsAndDefaults) {
    EXPECT_EQ(runtimeState.escapeEnds, 1);
    setEscapeEnds(0);
    EXPECT_EQ(runtimeState.escapeEnds, 0);
    setEscapeEnds(1);
    setAutoPause(2);
    EXPECT_EQ(runtimeState.autoPause, 1);
    setAutoPause(0);
    EXPECT_EQ(runtimeState.autoPause, 0);
    EXPECT_EQ(runtimeSettings.screenWidth, 320);
    EXPECT_EQ(runtimeSettings.frameRate, 60);
}

TEST(Clock, MillisecondsSinceStart) {
    resetRuntimeClock();
    EXPECT_EQ(runtimeState.frameTime, runtimeState.startTime);
    EXPECT_EQ(runtimeState.previousFrameTime, runtimeState.startTime);
    double before = elapsedMs();
    EXPECT_GE(before, 0);
    sleepMs(20.9);
    double after = elapsedMs();
    EXPECT_GE(after - before, 20);
    // No time, a negative one and NaN return at once (a second is a generous bound for a
    // loaded machine; a wrapped negative would sleep for weeks).
    for (double ms : {0.0, -5.0, std::nan("")}) {
        const double t = timeStampMs();
        sleepMs(ms);
        EXPECT_LT(timeStampMs() - t, 1000) << ms;
    }
}

namespace routines {
int calls = 0;
void Alpha() { calls += 1; }
void MainMenu() { calls += 10; }
const RoutineEntry table[] = {{"Alpha", Alpha}, {"MainMenu", MainMenu}, {"", nullptr}};
}  // namespace routines

TEST(CallByName, ExactNamesOnly) {
    setRoutineTable(routines::table);
    routines::calls = 0;
    EXPECT_EQ(callByName(TextValue("MainMenu")), 1);
    EXPECT_EQ(routines::calls, 10);
    EXPECT_EQ(callByName(TextValue("mainmenu")), 0);
    EXPECT_EQ(callByName(TextValue("")), 0);
    EXPECT_EQ(callByName(TextValue("Alpha")), 1);
    EXPECT_EQ(routines::calls, 11);
    setRoutineTable(nullptr);
    EXPECT_EQ(callByName(TextValue("Alpha")), 0);
}

TEST(CommandLine, StoredCopyWithRoom) {
    setCommandLine("crumlet -x");
    TextValue line = commandLine();
    EXPECT_STREQ(line.c_str(), "crumlet -x");
    EXPECT_GE(line.capacity, 512u);
}

TEST(Debugger, NoTextsWithoutADebugger) {
    ASSERT_FALSE(debuggerAttached());
    ::testing::internal::CaptureStderr();
    debugPrint(TextValue("hidden"));
    debugBreak(255);
    callByName(TextValue("NoSuchRoutine"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(Debugger, TextsGoToStandardErrorUnderATracer) {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDERR_FILENO);
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(77);
        setRoutineTable(nullptr);
        debugPrint(TextValue("hello"));
        callByName(TextValue("Missing"));
        debugBreak(255);
        _exit(debuggerAttached() ? 0 : 1);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "tracing is not permitted here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(text, "TXhelloTXCALLBYNAME \"Missing\" *** failed ***\nBPff");
}

TEST_F(LifecycleDeathTest, EndAndRunStartsTheCommandAndExitsZero) {
    std::string marker = dir.file("started");
    std::string command = "echo ran > '" + marker + "'";
    EXPECT_EXIT(endAndRun(TextValue(command.c_str())), ExitedWithCode(0), "");
    for (int i = 0; i < 100 && !pathExists(marker); ++i) usleep(50000);
    // The shell may still be writing: wait for the line.
    for (int i = 0; i < 100 && readText(marker) != "ran\n"; ++i) usleep(50000);
    EXPECT_EQ(readText(marker), "ran\n");
}

}  // namespace
