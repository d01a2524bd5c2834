// The scripted driver: runs the real program from a plain-text script instead of a player, for
// end-to-end tests and for watching a session frame by frame.
//
// Off unless asked for, by the environment variable TOVRIK_DRIVER=<script> or the command-line
// option "--driver <script>" (also "--driver=<script>"). While it is on:
// - the keyboard snapshot of every frame comes from the script, not from the device;
// - the random generator is seeded with the script's seed instead of the clock;
// - frame pacing can be switched off;
// - the logical screen is written to PNG files at the frames the script names;
// - a state trace gets one line per presented level frame.
// The format is described in docs/driver.md.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NumberArray;

// One directive of a parsed script. Frames count the presented frames from 1, starting with the
// first frame after start-up.
struct DriverScript {
    bool hasSeed = false;
    int32_t seed = 0;
    bool pacing = true;
    std::string tracePath;  // empty: no trace
    struct KeySpan {
        int64_t from, to;  // inclusive frame range
        std::vector<int> keys;
    };
    std::vector<KeySpan> keys;
    struct Shot {
        int64_t frame;
        std::string path;
    };
    std::vector<Shot> shots;
    int64_t quitFrame = 0;  // 0: never
};

// Parses a script. Relative file names are taken relative to baseDir (which ends in '/' or is
// empty). False with a message naming the line when the script is not understood.
bool parseDriverScript(const std::string& text, const std::string& baseDir, DriverScript& out,
                       std::string& error);

// The scan code of a key name of the script ("Right", "Space", "a", "7", "@57" for a raw scan
// code, ...), or -1.
int driverKeyCode(const std::string& name);

// The keyboard snapshot (bit 7 = held) the script gives for a frame.
void driverKeysForFrame(const DriverScript& script, int64_t frame, unsigned char keys[256]);

// Reads the switch from the environment or the command line and loads the script, before the
// runtime starts (file names are then still relative to the folder the program was started
// from). A script that cannot be read or parsed ends the process with status 2 and a message on
// standard error. Does nothing when the driver is not asked for.
void configureDriver(int argc, char** argv);

// After the runtime's start-up: seeds the generator, sets pacing, injects the first frame's keys
// and hooks itself into the frame present. Does nothing when the driver is off.
void startDriver();

bool driverActive();

// The state a level frame reports to the trace. frame counts the frames of the level loop
// from 1.
struct LevelFrameState {
    double frame;
    double bugX, bugY, bugDir;
    double score, pickupsLeft, bombStock;
    double bugDead, levelDone;
    NumberArray* mapGrid;
    NumberArray* itemGrid;
};

// Called by the level loop right before it presents a frame; writes the trace line when a trace
// is on, otherwise does nothing.
void driverLevelFrame(const LevelFrameState& state);

// The trace line of a level frame, exactly as written (without the line end):
// F=<frame> bug=<x>,<y> dir=<dir> score=<score> left=<left> bombs=<bombs> dead=<dead>
// done=<done> grid=<crc>, numbers by the number-to-text rule, crc the CRC-32 (lower-case hex,
// 8 digits) of the 1200 mapGrid values followed by the 1200 itemGrid values, each truncated to
// a byte.
std::string driverTraceLine(const LevelFrameState& state);
