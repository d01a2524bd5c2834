// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Recordings end to end: a session is played with real key events from the X server (xdotool)
// and recorded with --record: the menu, a name typed, a level finished, a bug caught by a baddy.
// The recording must then replay to the same trace and scores (--verify), be refused when its
// score claim is edited or the file is damaged, and leave the player folder alone when watched
// (--play). Skipped without an X display or xdotool.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "game/constants.h"
#include "graphics/images.h"
#include "levels/shipped.h"
#include "tests/support/level_writer.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Polls `done` every 10 ms for up to `seconds`: a busy machine may be slow, never wrong.
bool waitFor(const std::function<bool()>& done, int seconds = 60) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool xdotool(const std::string& args) {
    return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()) == 0;
}

std::string xdotoolOutput(const std::string& args) {
    std::string out;
    if (FILE* p = popen(("xdotool " + args + " 2>/dev/null").c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out.substr(0, out.find('\n'));
}

// The game of `folder` started with these arguments and no script; its output goes to <name>.out
// and <name>.err there.
pid_t startGame(const std::string& folder, const std::vector<std::string>& args,
                const std::string& name) {
    ProgramOptions options;
    options.name = name;
    options.arguments = args;
    return startProgram(folder, "", options);
}

// The exit status of a started game; -1 after a signal or when it outlived `seconds`.
int finishGame(pid_t pid, int seconds = 120) { return finishProgram(pid, seconds).exitCode; }

// Every file under `folder` with its size, modification time and content.
std::string folderState(const std::string& folder) {
    std::vector<std::string> entries;
    std::function<void(const std::string&)> walk = [&](const std::string& dir) {
        DIR* d = opendir(dir.c_str());
        if (!d) return;
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "/" + name;
            struct stat st;
            if (lstat(path.c_str(), &st) != 0) continue;
            std::ostringstream line;
            line << path << " " << st.st_mode << " " << st.st_size << " " << st.st_mtim.tv_sec
                 << "." << st.st_mtim.tv_nsec;
            if (S_ISREG(st.st_mode)) line << " " << std::hash<std::string>()(readText(path));
            entries.push_back(line.str());
            if (S_ISDIR(st.st_mode)) walk(path);
        }
        closedir(d);
    };
    walk(folder);
    std::sort(entries.begin(), entries.end());
    std::string all;
    for (const std::string& e : entries) all += e + "\n";
    return all;
}

// The player at the keyboard: real key events sent to the game's window, frames counted by the
// screenshots F12 asks for (one more file proves at least one more frame ran).
class Player {
  public:
    explicit Player(const std::string& saveDir) : shots_(saveDir + "/Screenshots/") {}

    bool findWindow() {
        return waitFor([&] {
            window_ = xdotoolOutput("search --name '^Crumlet$'");
            return !window_.empty();
        });
    }
    // Without a window manager the focus must be set outright; keys sent before it arrives go
    // elsewhere.
    bool focus() {
        return waitFor([&] {
            xdotool("windowfocus " + window_);
            return xdotoolOutput("getwindowfocus") == window_;
        });
    }
    // One more frame has run; the path of its screenshot.
    std::string frame() {
        ++shots_taken_;
        char name[32];
        std::snprintf(name, sizeof name, "shot%04d.png", shots_taken_);
        const std::string path = shots_ + name;
        xdotool("keydown F12");
        const bool seen = waitFor([&] { return exists(path); });
        xdotool("keyup F12");
        // A picture is written whole before the next frame starts; give the file system a moment
        // to show its full size.
        waitFor([&] {
            struct stat st;
            return stat(path.c_str(), &st) == 0 && st.st_size > 0;
        });
        return seen ? path : std::string();
    }
    bool frames(int n) {
        for (int i = 0; i < n; ++i)
            if (frame().empty()) return false;
        return true;
    }
    void down(const std::string& key) { xdotool("keydown " + key); }
    void up(const std::string& key) { xdotool("keyup " + key); }
    // The key held for at least one frame.
    bool tap(const std::string& key) {
        down(key);
        const bool ok = !frame().empty();
        up(key);
        return ok;
    }
    // The menu row the cursor box rests on (kMenuRowLevels ...), or -1 while it slides: the box's
    // running light is the only part of the menu that changes from frame to frame.
    int boxRow() {
        for (int attempt = 0; attempt < 20; ++attempt) {
            RgbaImage a, b;
            if (!decodePng(frame().c_str(), kNoColourKey, a) ||
                !decodePng(frame().c_str(), kNoColourKey, b))
                return -1;
            int top = -1, bottom = -1;
            for (int y = 0; y < a.height && y < b.height; ++y) {
                for (int x = crumlet::kMenuLeft; x < crumlet::kMenuLeft + 96; ++x) {
                    if (std::equal(a.pixel(x, y), a.pixel(x, y) + 3, b.pixel(x, y))) continue;
                    if (top < 0) top = y;
                    bottom = y;
                }
            }
            if (top < 0) continue;  // the same light in both frames
            for (double row : {crumlet::kMenuRowLevels, crumlet::kMenuRowPlayer,
                               crumlet::kMenuRowScores, crumlet::kMenuRowHome}) {
                if (top >= row && bottom < row + 16) return static_cast<int>(row);
            }
            return -1;
        }
        return -1;
    }
    // Moves the box to `row` a step at a time, looking where it is after each step, so that a
    // key held a frame too long on a busy machine is made good by the next step.
    bool boxTo(int row) {
        for (int step = 0; step < 12; ++step) {
            const int at = boxRow();
            if (at == row) return true;
            if (at >= 0) tap(at < row ? "Down" : "Up");
        }
        return false;
    }

  private:
    std::string shots_;
    std::string window_;
    int shots_taken_ = 0;
};

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The session every test looks at, recorded once.
struct Recorded {
    std::unique_ptr<TestFolder> folder;
    std::string dir, data, save, recording, trace;
    std::string failure;  // empty when the session was recorded as planned
};

Recorded* recorded = nullptr;

// Level 1 is finished by a step right and one back; every other level has a baddy that catches
// a bug that stays where it is.
void writeLevels(const std::string& maps) {
    writeLevel(maps, 1, {"####", "#@c#", "####"});
    for (int level = 2; level <= levels::kShippedLevelCount; ++level) {
        writeLevel(maps, level,
                   {"####################", "#B.c.c.c.c.c.c.c.c<#", "####################"});
    }
}

std::string playSession(Recorded& r) {
    Player player(r.save);
    const pid_t pid = startGame(r.dir,
                                {"--windowed", "--data-dir", r.data, "--save-dir", r.save,
                                 "--record", "session.replay", "--trace", "session.trace"},
                                "session");
    auto trace = [&] { return readText(r.trace); };
    auto fail = [&](const std::string& why) {
        kill(pid, SIGKILL);
        finishGame(pid);
        for (const char* key : {"F12", "Down", "Up", "Left", "Right", "Return", "Escape"})
            player.up(key);
        return why;
    };
    if (!player.findWindow()) return fail("no window");
    if (!waitFor(
            [&] { return readText(r.dir + "/session.out").find("Init OK") != std::string::npos; }))
        return fail("no start-up");
    if (!player.focus()) return fail("the window never got the keyboard");

    // The name: PLAYER, Return, three letters (each released before the next), Space.
    if (!player.boxTo(crumlet::kMenuRowPlayer)) return fail("the box never reached PLAYER");
    player.tap("Return");
    for (const char* letter : {"z", "e", "d"}) {
        player.tap(letter);
        player.frame();
    }
    player.tap("space");
    // Level 1: up to LEVELS (the box stops there), Return, a step right, one back: finished.
    player.down("Up");
    player.frames(20);
    player.up("Up");
    player.down("Return");
    const bool started = waitFor([&] { return count(trace(), "F=1 ") == 1; });
    player.up("Return");
    if (!started) return fail("level 1 never started");
    player.down("Right");
    const bool collected = waitFor([&] { return trace().find("left=1 ") != std::string::npos; });
    player.up("Right");
    if (!collected) return fail("the bug never collected the clover on the right");
    // Back on the start cell the last pick-up is gone; the level is finished at the bug's next
    // decision and closes at once (no sound plays), before that frame is traced.
    player.down("Left");
    const bool finished = waitFor([&] { return trace().find("left=0 ") != std::string::npos; });
    player.frames(5);
    player.up("Left");
    if (!finished) return fail("level 1 was never finished");
    // Another level, where the baddy comes for the bug; Escape when caught.
    player.down("Right");
    player.frames(8);
    player.up("Right");
    player.down("Return");
    const bool again = waitFor([&] { return count(trace(), "F=1 ") == 2; });
    player.up("Return");
    if (!again) return fail("the second level never started");
    if (!waitFor([&] { return trace().find("dead=1 ") != std::string::npos; }))
        return fail("the baddy never caught the bug");
    player.down("Escape");
    player.frames(3);
    player.up("Escape");
    // GOHOME: the box slides to the last entry and stays; Return ends the game.
    player.down("Down");
    player.frames(40);
    player.up("Down");
    player.down("Return");
    const int status = finishGame(pid);
    player.up("Return");
    if (status != 0) return "the game ended with status " + std::to_string(status);
    return "";
}

class RecordedSession : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (std::getenv("DISPLAY") == nullptr || std::system("command -v xdotool >/dev/null") != 0)
            return;
        recorded = new Recorded;
        Recorded& r = *recorded;
        r.folder.reset(new TestFolder("crumlet-replay"));
        r.dir = r.folder->path();
        r.data = r.dir;  // the program's own folder: its media and the test's levels
        r.save = r.dir + "/save";
        r.recording = r.dir + "/session.replay";
        r.trace = r.dir + "/session.trace";
        r.failure = makeGameFolder(r.dir);
        mkdir(r.save.c_str(), 0700);
        writeLevels(r.data + "/Maps");
        if (!r.failure.empty()) return;
        r.failure = playSession(r);
        if (!r.failure.empty()) r.folder->keep();
    }
    static void TearDownTestSuite() {
        delete recorded;
        recorded = nullptr;
    }
    void SetUp() override {
        if (recorded == nullptr) GTEST_SKIP() << "needs an X display and xdotool";
        ASSERT_EQ(recorded->failure, "")
            << "recording the session failed; its files are kept in " << recorded->dir;
    }
    void TearDown() override {
        if (HasFailure() && recorded) recorded->folder->keep();
    }
    // The game run on a recording with more arguments; its exit status.
    int replay(const std::string& option, const std::string& file, const std::string& name,
               std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"--data-dir",   recorded->data, "--save-dir",
                                         recorded->save, option,         file};
        args.insert(args.end(), more.begin(), more.end());
        return finishGame(startGame(recorded->dir, args, name));
    }
    std::string file(const std::string& name) const { return recorded->dir + "/" + name; }
};

TEST_F(RecordedSession, VerifyReachesTheRecordedScoresAndTraceAndSoDoesTheKeptProof) {
    const std::string text = readText(recorded->recording);
    ASSERT_NE(text.find("# finished level 1 score 10 name zed\n"), std::string::npos) << text;
    ASSERT_NE(readText(recorded->trace).find("dead=1 "), std::string::npos);

    EXPECT_EQ(replay("--verify", recorded->recording, "verify", {"--trace", "verify.trace"}), 0)
        << readText(file("verify.err"));
    EXPECT_NE(readText(file("verify.out")).find("level 1  name zed  score 10  as recorded"),
              std::string::npos)
        << readText(file("verify.out"));
    EXPECT_EQ(readText(file("verify.trace")), readText(recorded->trace));

    // The high score kept its proof in the player folder, and the proof holds.
    DIR* d = opendir((recorded->save + "/Replays").c_str());
    ASSERT_NE(d, nullptr);
    std::string proof;
    while (dirent* e = readdir(d))
        if (std::string(e->d_name).find("level01-place1-zed-") == 0) proof = e->d_name;
    closedir(d);
    ASSERT_NE(proof, "");
    EXPECT_EQ(replay("--verify", recorded->save + "/Replays/" + proof, "proof"), 0)
        << readText(file("proof.out")) << readText(file("proof.err"));
}

TEST_F(RecordedSession, AnEditedScoreClaimFailsVerify) {
    std::string text = readText(recorded->recording);
    const std::string claim = "# finished level 1 score 10 ";
    const size_t at = text.find(claim);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, claim.size(), "# finished level 1 score 1000 ");
    writeText(file("edited.replay"), text);
    EXPECT_EQ(replay("--verify", file("edited.replay"), "edited"), 1);
    EXPECT_NE(readText(file("edited.out")).find("NOT verified"), std::string::npos);
}

TEST_F(RecordedSession, PlayShowsTheRecordedRunAndLeavesThePlayerFolderUnchanged) {
    const std::string before = folderState(recorded->save);
    EXPECT_EQ(
        replay("--play", recorded->recording, "play", {"--windowed", "--trace", "play.trace"}), 0)
        << readText(file("play.err"));
    EXPECT_EQ(readText(file("play.trace")), readText(recorded->trace));
    EXPECT_EQ(folderState(recorded->save), before);
}

TEST_F(RecordedSession, ADamagedRecordingOrOneOfOtherLevelsExitsTwo) {
    const std::string text = readText(recorded->recording);
    const std::string before = folderState(recorded->save);
    // Cut short, one key line changed, not a recording at all.
    writeText(file("cut.replay"), text.substr(0, text.size() / 2));
    std::string changed = text;
    const size_t line = changed.find("\nkeys ");
    const size_t end = changed.find('\n', line + 1);
    const size_t lastKey = changed.rfind(' ', end);
    changed.replace(lastKey + 1, end - lastKey - 1, "Left");
    writeText(file("changed.replay"), changed);
    writeText(file("words.replay"), "Dear diary, today I played a maze game.\n");
    for (const char* name : {"cut", "changed", "words"}) {
        EXPECT_EQ(replay("--verify", file(std::string(name) + ".replay"), name), 2) << name;
        EXPECT_NE(readText(file(std::string(name) + ".err")).find("crumlet: "), std::string::npos)
            << name;
    }
    // Level 1 changed since the recording was made.
    writeLevel(recorded->data + "/Maps", 1, {"####", "#@c.#", "####"});
    EXPECT_EQ(replay("--verify", recorded->recording, "levels"), 2);
    EXPECT_NE(readText(file("levels.err")).find("not the level the recording was made with"),
              std::string::npos)
        << readText(file("levels.err"));
    writeLevel(recorded->data + "/Maps", 1, {"####", "#@c#", "####"});
    EXPECT_EQ(folderState(recorded->save), before);
}

}  // namespace
