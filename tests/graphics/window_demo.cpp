// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A minimal program on the runtime for the window tests under an X server: it starts up like the
// game, then presents frames with a colour bar and a frame counter until it is closed.
#include <cstdio>
#include <cstring>

#include "app/startup.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/present.h"
#include "graphics/renderer.h"
#include "runtime/lifecycle.h"

int main(int argc, char** argv) {
    runtimeSettings = RuntimeSettings();
    runtimeSettings.fullScreen = argc > 1 && std::strcmp(argv[1], "--fullscreen") == 0 ? 1 : 0;
    startRuntime("Crumlet");
    setEscapeEnds(0);
    int shownFullscreen = -1;
    for (double frame = 0;; ++frame) {
        // Report mode switches (Alt+Enter) for the test that drives this program.
        if (shownFullscreen != (theRenderer->isFullscreen() ? 1 : 0)) {
            shownFullscreen = theRenderer->isFullscreen() ? 1 : 0;
            std::printf("fullscreen %d\n", shownFullscreen);
            std::fflush(stdout);
        }
        fillRect(0, 0, 320, 20, 255 + 256 * 128);  // orange bar
        fillRect(0, 220, 320, 20, 65536 * 200);    // blue bar
        drawText("frame", 10, 100);
        drawNumber(frame, 60, 100);
        presentFrame();
    }
}
