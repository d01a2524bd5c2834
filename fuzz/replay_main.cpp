// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Replays fuzzing inputs without libFuzzer: every file in the folders (or the files) named on the
// command line goes once through the harness, in name order. A missing folder is skipped; no input
// at all is a failure, so a replay test can never pass by running nothing. Paths are made absolute
// first: harnesses that run the game move into a private folder. A peak memory over 1 GiB fails
// the replay as it fails a fuzzing run.
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (fs::is_directory(argv[i], error)) {
            for (const fs::directory_entry& e : fs::directory_iterator(argv[i]))
                if (e.is_regular_file()) inputs.push_back(fs::absolute(e.path()));
        } else if (fs::is_regular_file(argv[i], error)) {
            inputs.push_back(fs::absolute(argv[i]));
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        std::fprintf(stderr, "replay %s (%zu bytes)\n", p.c_str(), bytes.size());
        // An empty vector's data() may be null; libFuzzer never passes null.
        static const uint8_t kNone = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &kNone : bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    // The same bound as the fuzzing runs (-rss_limit_mb=1024): a reader whose memory follows a
    // size its input announces, not what the input holds, fails here too.
    struct rusage usage;
    if (getrusage(RUSAGE_SELF, &usage) == 0 && usage.ru_maxrss > 1024 * 1024) {
        std::printf("peak memory %ld KiB is over 1 GiB\n", usage.ru_maxrss);
        return 1;
    }
    return inputs.empty() ? 1 : 0;
}
