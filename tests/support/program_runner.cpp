// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Runs the real program in a private game folder: fork, exec with the driver's environment, and a
// polling wait with a deadline that also collects the process's resource use.
#include "tests/support/program_runner.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "levels/shipped.h"

#ifndef CRUMLET_EXECUTABLE
#error "CRUMLET_EXECUTABLE must name the game executable"
#endif
#ifndef CRUMLET_RUN_DIR
#error "CRUMLET_RUN_DIR must name the run folder"
#endif

const std::string& crumletProgram() {
    static const std::string path = CRUMLET_EXECUTABLE;
    return path;
}

const std::string& crumletRunFolder() {
    static const std::string path = CRUMLET_RUN_DIR;
    return path;
}

std::string makeGameFolder(const std::string& folder, const std::string& player,
                           const std::string& program) {
    if (mkdir((folder + "/Maps").c_str(), 0700) != 0) return "cannot make " + folder + "/Maps";
    if (!copyFile(program, folder + "/crumlet") || chmod((folder + "/crumlet").c_str(), 0755) != 0)
        return "cannot copy " + program + " into " + folder;
    for (const char* media : {"/Media.kql", "/smalfont.bmp"}) {
        if (!copyFile(crumletRunFolder() + media, folder + media))
            return "cannot copy " + crumletRunFolder() + media;
    }
    for (int level = 1; level <= levels::kShippedLevelCount; ++level) {
        for (int layer = 1; layer <= 3; ++layer) {
            const std::string name =
                "/Maps/Map" + std::to_string(level) + "-" + std::to_string(layer) + ".bin";
            if (!copyFile(crumletRunFolder() + name, folder + name))
                return "cannot copy " + crumletRunFolder() + name;
        }
    }
    std::vector<unsigned char> name(8, 0);
    for (size_t i = 0; i < player.size() && i < name.size(); ++i)
        name[i] = static_cast<unsigned char>(player[i]);
    writeBytes(folder + "/Maps/Player.bin", name);
    writeBytes(folder + "/Maps/Name.bin", std::vector<unsigned char>(6400, 0));
    writeBytes(folder + "/Maps/Data.bin", std::vector<unsigned char>(3200, 0));
    return "";
}

pid_t startProgram(const std::string& folder, const std::string& script,
                   const ProgramOptions& options) {
    const std::string scriptPath = folder + "/" + options.name + ".txt";
    std::ofstream(scriptPath) << script;
    const std::string out = folder + "/" + options.name + ".out";
    const std::string err = folder + "/" + options.name + ".err";
    std::vector<std::string> words = options.launcher;
    words.push_back(folder + "/crumlet");
    words.insert(words.end(), options.arguments.begin(), options.arguments.end());
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // The child: only async-signal-safe work from here would be strict, but the test process is
    // single-threaded when it starts a program.
    if (chdir(folder.c_str()) != 0) _exit(126);
    if (!script.empty()) setenv("TOVRIK_DRIVER", scriptPath.c_str(), 1);
    // The saves stay in the private folder, never in the real player folder.
    setenv("CRUMLET_SAVE_DIR", folder.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const char* display = std::getenv("DISPLAY");
    if (options.offscreen || display == nullptr || *display == '\0')
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(126);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

ProgramRun finishProgram(pid_t pid, int seconds) {
    ProgramRun run;
    if (pid <= 0) return run;
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::seconds(seconds);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, WNOHANG, &usage) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            run.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.cpuMs = usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
                usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
    run.peakKb = usage.ru_maxrss;
    if (!run.timedOut && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (!run.timedOut && WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    return run;
}

ProgramRun runProgram(const std::string& folder, const std::string& script,
                      const ProgramOptions& options) {
    return finishProgram(startProgram(folder, script, options), options.seconds);
}

std::string ProgramRun::describe() const {
    if (timedOut) return "no end before the deadline";
    if (signal != 0) return "killed by signal " + std::to_string(signal);
    if (exitCode < 0) return "did not start";
    return "exit " + std::to_string(exitCode);
}
