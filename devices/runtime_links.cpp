// The few places where the input and sound services reach the rest of the
// runtime: the error log, the shutdown order, the screen size and the media
// archive.
#include "devices/devices_internal.h"
#include "devices/input.h"
#include "devices/sound.h"

#include <cstdio>
#include <string>

#if __has_include("runtime/lifecycle.h")
#include "runtime/lifecycle.h"
#define DEVICES_HAVE_LIFECYCLE 1
#endif
#if __has_include("runtime/archive.h")
#include "runtime/archive.h"
#define DEVICES_HAVE_ARCHIVE 1
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
#ifdef DEVICES_HAVE_LIFECYCLE
    width = runtimeSettings.screenWidth;
    height = runtimeSettings.screenHeight;
#else
    width = 320;
    height = 240;
#endif
}

std::string resolveMediaPath(const char* name) {
#ifdef DEVICES_HAVE_ARCHIVE
    std::string resolved;
    if (resolveMediaFile(name, resolved)) return resolved;
#endif
    // Not found anywhere: the name is used as it is (and then fails to open).
    std::string path = name ? name : "";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}
