// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// System calls the browser's file system lacks, as the game's writers use them.
mergeInto(LibraryManager.library, {
  // SDL's audio for the browser calls these, which emscripten brings only when its own SDL port
  // is used; the program calls this empty function once so that they are linked in.
  crumlet_web_link_sdl_needs__deps: ['$autoResumeAudioContext', '$dynCall'],
  crumlet_web_link_sdl_needs: function() {},

  // A hard link (used to put a new file in place without replacing one of that name) becomes a
  // copy under the new name, refused when the name is taken: for a file that is unlinked under
  // its first name right after, the same outcome.
  __syscall_linkat__deps: ['$FS', '$SYSCALLS'],
  __syscall_linkat: function(olddirfd, oldpath, newdirfd, newpath, flags) {
    try {
      oldpath = SYSCALLS.calculateAt(olddirfd, SYSCALLS.getStr(oldpath));
      newpath = SYSCALLS.calculateAt(newdirfd, SYSCALLS.getStr(newpath));
      if (FS.analyzePath(newpath).exists) return -{{{ cDefine('EEXIST') }}};
      var mode = FS.stat(oldpath).mode;
      FS.writeFile(newpath, FS.readFile(oldpath));
      FS.chmod(newpath, mode);
      return 0;
    } catch (e) {
      if (typeof FS == 'undefined' || !(e instanceof FS.ErrnoError)) throw e;
      return -e.errno;
    }
  },
});
