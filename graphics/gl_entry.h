// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// OpenGL headers and the extension entry points the renderer looks up by name once a context is
// current. Internal to graphics/; defined in gl_entry.cpp.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

struct GlEntryPoints {
    // GL_ARB_multitexture and the buffer objects looked up with it.
    PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
    PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB = nullptr;
    PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB = nullptr;
    PFNGLGENBUFFERSARBPROC glGenBuffersARB = nullptr;
    PFNGLBINDBUFFERARBPROC glBindBufferARB = nullptr;
    PFNGLBUFFERDATAARBPROC glBufferDataARB = nullptr;
    PFNGLDELETEBUFFERSARBPROC glDeleteBuffersARB = nullptr;
    PFNGLMAPBUFFERARBPROC glMapBufferARB = nullptr;
    PFNGLUNMAPBUFFERARBPROC glUnmapBufferARB = nullptr;
    PFNGLGETBUFFERPARAMETERIVARBPROC glGetBufferParameterivARB = nullptr;
    // GL_ARB_fragment_program: shader objects for the shader commands.
    PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB = nullptr;
    PFNGLDELETEOBJECTARBPROC glDeleteObjectARB = nullptr;
    PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB = nullptr;
    PFNGLSHADERSOURCEARBPROC glShaderSourceARB = nullptr;
    PFNGLCOMPILESHADERARBPROC glCompileShaderARB = nullptr;
    PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB = nullptr;
    PFNGLATTACHOBJECTARBPROC glAttachObjectARB = nullptr;
    PFNGLGETINFOLOGARBPROC glGetInfoLogARB = nullptr;
    PFNGLLINKPROGRAMARBPROC glLinkProgramARB = nullptr;
    PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB = nullptr;
    PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB = nullptr;
    PFNGLUNIFORM1FARBPROC glUniform1fARB = nullptr;
    PFNGLUNIFORM1IARBPROC glUniform1iARB = nullptr;
    // Framebuffer objects (always attempted).
    PFNGLBINDRENDERBUFFEREXTPROC glBindRenderbufferEXT = nullptr;
    PFNGLDELETERENDERBUFFERSEXTPROC glDeleteRenderbuffersEXT = nullptr;
    PFNGLGENRENDERBUFFERSEXTPROC glGenRenderbuffersEXT = nullptr;
    PFNGLRENDERBUFFERSTORAGEEXTPROC glRenderbufferStorageEXT = nullptr;
    PFNGLBINDFRAMEBUFFEREXTPROC glBindFramebufferEXT = nullptr;
    PFNGLDELETEFRAMEBUFFERSEXTPROC glDeleteFramebuffersEXT = nullptr;
    PFNGLGENFRAMEBUFFERSEXTPROC glGenFramebuffersEXT = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC glCheckFramebufferStatusEXT = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC glFramebufferTexture2DEXT = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC glFramebufferRenderbufferEXT = nullptr;
    // GL_EXT_framebuffer_blit: the present's scaled copy without drawing a quad.
    PFNGLBLITFRAMEBUFFEREXTPROC glBlitFramebufferEXT = nullptr;

    // OpenGL ES (WebGL too, under a fixed-function emulation) rather than desktop OpenGL. It
    // knows neither blue-green-red-alpha bytes, sized colour formats, GL_CLAMP nor 24-bit depth
    // buffers; the forms below give the same pixels there.
    bool es = false;
    // The byte order of the pixels the renderer reads back and uploads again.
    GLenum pixelOrder() const { return es ? GL_RGBA : GL_BGRA; }
    // The internal format of an 8-bit RGBA texture.
    GLint colourFormat() const { return es ? GL_RGBA : GL_RGBA8; }
    // Texture coordinates past the edge take the edge's texel (the same, with nearest filtering).
    GLint edgeClamp() const { return es ? GL_CLAMP_TO_EDGE : GL_CLAMP; }
    GLenum depthFormat() const { return es ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24; }
};

extern GlEntryPoints gl;

// Looks every entry point up (after the context is current); unavailable ones stay null.
void loadGlEntryPoints();
// Whether all entry points a framebuffer object needs exist (and are allowed).
bool haveFramebufferObjects();
// Off: the next loadGlEntryPoints leaves the framebuffer-object entry points null, as on a driver
// without them.
void allowFramebufferObjectLookup(bool allowed);
