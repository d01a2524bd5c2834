// The few places where the input and sound services reach the rest of the
// runtime: the error log, the shutdown order, the screen size and the media
// archive.
#include "devices/devices_internal.h"
#include "devices/input.h"
#include "devices/sound.h"

#include <string>

#include "runtime/lifecycle.h"
#if __has_include("runtime/archive.h")
#include "runtime/archive.h"
#define DEVICES_HAVE_ARCHIVE 1
#endif

void logDeviceWarning(const char* line) {
    appendErrorLog(line);
}

void registerInputRelease() {
    setServiceRelease(ServiceStage::Input, closeInput);
}

void registerSoundRelease() {
    setServiceRelease(ServiceStage::Sound, closeSound);
}

void logicalScreenSize(int& width, int& height) {
    width = runtimeSettings.screenWidth;
    height = runtimeSettings.screenHeight;
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
