// End-to-end tests of the real program: the `crumlet` executable is copied with the media of the
// run folder into a private folder holding levels and save files of the test's own, then run
// through the scripted driver (keys per frame, fixed seed, no pacing, screenshots, state trace).
// Screenshots are checked at a few points, not as whole golden images, so that the media may
// change.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "graphics/images.h"

#ifndef CRUMLET_EXECUTABLE
#error "CRUMLET_EXECUTABLE must name the game executable"
#endif
#ifndef CRUMLET_RUN_DIR
#error "CRUMLET_RUN_DIR must name the run folder"
#endif

namespace {

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool copyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
    return static_cast<bool>(out);
}

struct Picture {
    RgbaImage image;
    bool load(const std::string& path) { return decodePng(path.c_str(), kNoColourKey, image); }
    uint32_t at(int x, int y) const {
        const uint8_t* p = image.pixel(x, y);
        return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    int litPixels(int x, int y, int w, int h) const {
        int n = 0;
        for (int yy = y; yy < y + h; ++yy) {
            for (int xx = x; xx < x + w; ++xx) n += at(xx, yy) != 0;
        }
        return n;
    }
};

// A level as text, one character per cell (rows from 0): '#' wall, 'x' block, 'B' bug,
// 'c' clover, 'f' flower, 's' spiky bomb, '>' '<' '^' 'v' baddies, 'J' empty junction.
void writeLevel(const std::string& maps, int level, const std::vector<std::string>& rows) {
    std::vector<unsigned char> l1(1200, 0), l2(1200, 0), l3(1200, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            size_t i = c + 40 * r;
            switch (rows[r][c]) {
                case '#': l1[i] = 1; break;
                case 'x': l1[i] = 7; break;
                case 'B': l1[i] = 3; break;
                case 'c': l2[i] = 2; break;
                case 'f': l2[i] = 4; break;
                case 's': l2[i] = 6; break;
                case '>': l1[i] = 12; break;
                case '<': l1[i] = 13; break;
                case '^': l1[i] = 14; break;
                case 'v': l1[i] = 15; break;
                case 'J': l3[i] = 5; break;
                default: break;
            }
        }
    }
    std::string base = maps + "/Map" + std::to_string(level);
    writeBytes(base + "-1.bin", l1);
    writeBytes(base + "-2.bin", l2);
    writeBytes(base + "-3.bin", l3);
}

class GameRunTest : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override {
        char pattern[] = "/tmp/crumlet-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_EQ(mkdir((dir + "/Maps").c_str(), 0700), 0);
        ASSERT_TRUE(copyFile(CRUMLET_EXECUTABLE, dir + "/crumlet"));
        ASSERT_EQ(chmod((dir + "/crumlet").c_str(), 0755), 0);
        // The media as built; without them the game still runs (built-in font, no sprites).
        copyFile(std::string(CRUMLET_RUN_DIR) + "/Media.kql", dir + "/Media.kql");
        copyFile(std::string(CRUMLET_RUN_DIR) + "/smalfont.bmp", dir + "/smalfont.bmp");
        writeBytes(dir + "/Maps/Player.bin", {'e', 'v', 'e', 0, 0, 0, 0, 0});
        writeBytes(dir + "/Maps/Name.bin", std::vector<unsigned char>(6400, 0));
        writeBytes(dir + "/Maps/Data.bin", std::vector<unsigned char>(3200, 0));
        // Level 1: the bug starts on a clover; to the right a clover, a flower, a spiky bomb and
        // a breakable block with the last clover behind it. It is finished by collecting them
        // all, blasting the block on the way, and coming back to the start cell.
        writeLevel(dir + "/Maps", 1,
                   {
                       "####################",
                       "#@cf.s..x.c#########",
                       "####################",
                   });
        // Level 2: a baddy comes down the corridor for a bug that does not move.
        writeLevel(dir + "/Maps", 2,
                   {
                       "####################",
                       "#B.c.c.c.c.c.c.c.c<#",
                       "####################",
                   });
    }

    void TearDown() override {
        if (!HasFailure()) std::system(("rm -rf '" + dir + "'").c_str());
    }

    // Runs the game with the script; returns the exit status (-1 on a signal or a time-out).
    int run(const std::string& script, const std::string& name = "session", int seconds = 120) {
        std::string scriptPath = dir + "/" + name + ".txt";
        std::ofstream(scriptPath) << script;
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(126);
            setenv("TOVRIK_DRIVER", scriptPath.c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            if (std::getenv("DISPLAY") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 1);
            std::string out = dir + "/" + name + ".out";
            if (!freopen(out.c_str(), "w", stdout)) _exit(126);
            execl((dir + "/crumlet").c_str(), "crumlet", static_cast<char*>(nullptr));
            _exit(127);
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        for (;;) {
            pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) break;
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                ADD_FAILURE() << "the game did not end within " << seconds << " s";
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }
};

// The field of a trace line ("score" gives the text after "score=").
std::string field(const std::string& line, const std::string& name) {
    size_t at = line.find(" " + name + "=");
    if (at == std::string::npos) at = line.rfind(name + "=", 0) == 0 ? 0 : std::string::npos;
    if (at == std::string::npos) return "";
    size_t start = line.find('=', at) + 1;
    size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST_F(GameRunTest, MenuNameEntryAndGoHomeSavesTheProfile) {
    ASSERT_EQ(run("seed 1\npacing off\n"
                  "shot 3 menu.png\n"
                  "keys 5 Down\n"           // the box slides to PLAYER (frames 6 to 13)
                  "keys 15 Return\n"        // name entry
                  "type 20 bug\n"
                  "shot 26 name.png\n"
                  "keys 30 Space\n"         // back to the menu
                  "keys 40 Down\nkeys 50 Down\n"
                  "keys 60 Return\n"        // GOHOME: save the profile and end
                  "quit 400\n"),
              0);
    std::vector<std::string> out = readLines(path("session.out"));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "Init OK");
    Picture menu;
    ASSERT_TRUE(menu.load(path("menu.png")));
    ASSERT_EQ(menu.image.width, 320);
    ASSERT_EQ(menu.image.height, 240);
    EXPECT_GT(menu.litPixels(64, 16, 192, 16), 50);   // CRUMLET DEMO
    EXPECT_GT(menu.litPixels(32, 32, 256, 16), 50);   // the line under the title
    EXPECT_GT(menu.litPixels(64, 64, 96, 16), 50);    // LEVELS 1 inside the box
    EXPECT_GT(menu.litPixels(22, 224, 256, 16), 50);  // MADE WITH TOVRIK
    Picture name;
    ASSERT_TRUE(name.load(path("name.png")));
    EXPECT_GT(name.litPixels(176, 80, 48, 16), 20);   // "bug" after "PLAYER "
    EXPECT_EQ(readBytes(path("Maps/Player.bin")), (std::vector<unsigned char>{'b', 'u', 'g', 0, 0, 0, 0, 0}));
}

