// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Looking up the OpenGL extension entry points once a context is current.
#include "graphics/gl_entry.h"

#include <cstring>

#include "platform/platform.h"

GlEntryPoints gl;

namespace {

bool framebufferObjectsAllowed = true;

template <typename T>
void lookUp(T& pointer, const char* name) {
    pointer = reinterpret_cast<T>(platformGLProc(name));
}

bool extensionSubstring(const char* name) {
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return all && std::strstr(all, name) != nullptr;
}

}  // namespace

void loadGlEntryPoints() {
    gl = GlEntryPoints();
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    gl.es = version && std::strncmp(version, "OpenGL ES", 9) == 0;
    if (extensionSubstring("GL_ARB_multitexture")) {
        lookUp(gl.glActiveTextureARB, "glActiveTextureARB");
        lookUp(gl.glMultiTexCoord2fARB, "glMultiTexCoord2fARB");
        lookUp(gl.glClientActiveTextureARB, "glClientActiveTextureARB");
        lookUp(gl.glGenBuffersARB, "glGenBuffersARB");
        lookUp(gl.glBindBufferARB, "glBindBufferARB");
        lookUp(gl.glBufferDataARB, "glBufferDataARB");
        lookUp(gl.glDeleteBuffersARB, "glDeleteBuffersARB");
        lookUp(gl.glMapBufferARB, "glMapBufferARB");
        lookUp(gl.glUnmapBufferARB, "glUnmapBufferARB");
        lookUp(gl.glGetBufferParameterivARB, "glGetBufferParameterivARB");
    }
    if (extensionSubstring("GL_ARB_fragment_program")) {
        lookUp(gl.glCreateProgramObjectARB, "glCreateProgramObjectARB");
        lookUp(gl.glDeleteObjectARB, "glDeleteObjectARB");
        lookUp(gl.glCreateShaderObjectARB, "glCreateShaderObjectARB");
        lookUp(gl.glShaderSourceARB, "glShaderSourceARB");
        lookUp(gl.glCompileShaderARB, "glCompileShaderARB");
        lookUp(gl.glGetObjectParameterivARB, "glGetObjectParameterivARB");
        lookUp(gl.glAttachObjectARB, "glAttachObjectARB");
        lookUp(gl.glGetInfoLogARB, "glGetInfoLogARB");
        lookUp(gl.glLinkProgramARB, "glLinkProgramARB");
        lookUp(gl.glUseProgramObjectARB, "glUseProgramObjectARB");
        lookUp(gl.glGetUniformLocationARB, "glGetUniformLocationARB");
        lookUp(gl.glUniform1fARB, "glUniform1fARB");
        lookUp(gl.glUniform1iARB, "glUniform1iARB");
    }
    if (framebufferObjectsAllowed) {
        lookUp(gl.glBindRenderbufferEXT, "glBindRenderbufferEXT");
        lookUp(gl.glDeleteRenderbuffersEXT, "glDeleteRenderbuffersEXT");
        lookUp(gl.glGenRenderbuffersEXT, "glGenRenderbuffersEXT");
        lookUp(gl.glRenderbufferStorageEXT, "glRenderbufferStorageEXT");
        lookUp(gl.glBindFramebufferEXT, "glBindFramebufferEXT");
        lookUp(gl.glDeleteFramebuffersEXT, "glDeleteFramebuffersEXT");
        lookUp(gl.glGenFramebuffersEXT, "glGenFramebuffersEXT");
        lookUp(gl.glCheckFramebufferStatusEXT, "glCheckFramebufferStatusEXT");
        lookUp(gl.glFramebufferTexture2DEXT, "glFramebufferTexture2DEXT");
        lookUp(gl.glFramebufferRenderbufferEXT, "glFramebufferRenderbufferEXT");
        if (extensionSubstring("GL_EXT_framebuffer_blit"))
            lookUp(gl.glBlitFramebufferEXT, "glBlitFramebufferEXT");
    }
}

bool haveFramebufferObjects() {
    return gl.glGenFramebuffersEXT && gl.glGenRenderbuffersEXT && gl.glBindRenderbufferEXT &&
           gl.glRenderbufferStorageEXT && gl.glCheckFramebufferStatusEXT &&
           gl.glBindFramebufferEXT && gl.glFramebufferTexture2DEXT &&
           gl.glFramebufferRenderbufferEXT && gl.glDeleteFramebuffersEXT &&
           gl.glDeleteRenderbuffersEXT;
}

void allowFramebufferObjectLookup(bool allowed) { framebufferObjectsAllowed = allowed; }
