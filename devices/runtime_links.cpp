// The few places where the input and sound services reach the runtime core.
#include "devices/devices_internal.h"
#include "devices/input.h"
#include "devices/sound.h"

#include <cstdio>
#include <string>

#if __has_include("runtime/lifecycle.h")
#include "runtime/lifecycle.h"
#define DEVICES_HAVE_LIFECYCLE 1
#endif

void logDeviceWarning(const char* line) {
#ifdef DEVICES_HAVE_LIFECYCLE
    appendErrorLog(line);
#else
    std::fprintf(stderr, "%s\n", line);
#endif
}

void registerInputRelease() {
#ifdef DEVICES_HAVE_LIFECYCLE
    setServiceRelease(ServiceStage::Input, closeInput);
#endif
}

void registerSoundRelease() {
#ifdef DEVICES_HAVE_LIFECYCLE
    setServiceRelease(ServiceStage::Sound, closeSound);
#endif
}

void logicalScreenSize(int& width, int& height) {
    width = 320;
    height = 240;
}

std::string resolveMediaPath(const char* name) {
    std::string path = name ? name : "";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}
