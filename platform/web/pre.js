// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// What the page does before the program starts, and how the program's files reach IndexedDB.
//
// - One program per player folder: the browser's Web Locks API holds the folder for this tab;
//   a second tab (or window) says that the game is open elsewhere and does not start.
// - The player folder /player lives in IndexedDB (emscripten's IDBFS): it is read before the
//   program starts, and written back whenever the program has finished a file in it (every save
//   commit ends in a rename) and when the page is hidden.
// - crumlet.html?driver=<file> fetches a driver script served beside the page and runs it, with
//   its state trace going to the console (one console line per trace line) and its saves into a
//   fresh folder of its own that is never kept.
// - The window is 320 x 240 scaled by the largest whole factor that fits the page, following
//   the browser window when it changes size.
var Module = typeof Module != 'undefined' ? Module : {};
Module.preRun = Module.preRun || [];
// Filled in before the program starts (the runtime takes this array, not a later one).
Module.arguments = [];
Module.crumlet = {
  params: new URLSearchParams(location.search),
  syncing: false,
  syncAgain: false,
  synced: 0,
  status: function(text) {
    var s = document.getElementById('status');
    if (s) s.textContent = text;
  },
  // Writes the player folder back to IndexedDB; a request while a write runs makes one more.
  persist: function() {
    var c = Module.crumlet;
    if (c.syncing) { c.syncAgain = true; return; }
    c.syncing = true;
    FS.syncfs(false, function(err) {
      c.syncing = false;
      if (err) console.warn('saves could not be written to the browser storage: ' + err);
      else c.synced++;
      if (c.syncAgain) { c.syncAgain = false; c.persist(); }
    });
  },
};

Module.preRun.push(function() {
  var c = Module.crumlet;
  var driver = c.params.get('driver');
  if (c.params.has('frametimes')) {  // for bench/web: every frame's script time and moment
    c.frameTimes = [];
    c.frameStamps = [];
  }

  // The lock first: nothing of the folder is read before it is held.
  if (navigator.locks) {
    addRunDependency('crumlet-lock');
    navigator.locks.request('crumlet-player-folder', {ifAvailable: true}, function(lock) {
      if (!lock) {
        var text = 'CRUMLET DEMO is already open in another tab or window: close it there to play here.';
        console.warn(text);
        c.status(text);
        c.refused = true;
        return;  // the program never starts here
      }
      removeRunDependency('crumlet-lock');
      return new Promise(function() {});  // held until the page goes
    });
  }

  var saveDir = '/player';
  FS.mkdir(saveDir);
  if (driver) {
    saveDir = '/session';  // a scripted session saves like a player, but not into the player's folder
  } else {
    FS.mount(IDBFS, {}, saveDir);
    addRunDependency('crumlet-saves');
    FS.syncfs(true, function(err) {
      if (err) console.warn('saves could not be read from the browser storage: ' + err);
      removeRunDependency('crumlet-saves');
    });
    var inPlayerFolder = function(path) { return typeof path == 'string' && path.indexOf('/player/') == 0; };
    var rename = FS.rename;
    FS.rename = function(from, to) {
      rename(from, to);
      if (inPlayerFolder(to)) c.persist();
    };
    var close = FS.close;
    FS.close = function(stream) {
      var written = stream && (stream.flags & 3) != 0 && inPlayerFolder(stream.path);
      close(stream);
      if (written) c.persist();
    };
    var unlink = FS.unlink;
    FS.unlink = function(path) {
      unlink(path);
      if (inPlayerFolder(path)) c.persist();
    };
    addEventListener('pagehide', function() { c.persist(); });
  }

  // The canvas is sized by the page: 320 x 240 times the largest whole factor that fits, now and
  // whenever the browser window changes size. SDL follows a canvas sized from outside (the window
  // is resizable), and the game enlarges its picture by the whole factor that fills it.
  function wholeFactor() {
    return Math.max(1, Math.floor(Math.min(innerWidth / 320, (innerHeight - 40) / 240)));
  }
  function fitCanvas() {
    var canvas = document.getElementById('canvas');
    if (!canvas) return;
    canvas.style.width = 320 * wholeFactor() + 'px';
    canvas.style.height = 240 * wholeFactor() + 'px';
  }
  fitCanvas();
  addEventListener('resize', fitCanvas);
  Module.arguments.push('--windowed', '--scale', String(wholeFactor()), '--data-dir', '/data',
                       '--save-dir', saveDir);
  // The program paces its own frames; SDL is not to sleep in every buffer swap as well.
  ENV.SDL_EMSCRIPTEN_ASYNCIFY = '0';

  if (driver) {
    // No sound output in a scripted run: a finished level then closes in the frame after, as in
    // the native program's scripted runs, and the trace matches it frame for frame.
    ENV.SDL_AUDIODRIVER = 'dummy';
    addRunDependency('crumlet-driver');
    fetch(driver).then(function(response) {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return response.text();
    }).then(function(text) {
      // The trace always goes to the console: the script's own trace file is dropped, and the
      // program writes the trace to /dev/trace, whose every line becomes a console.log line.
      // (Standard output goes to console.info, so the log holds the trace alone.)
      var line = [];
      FS.createDevice('/dev', 'trace', null, function(c) {
        if (c == 10) {
          console.log(String.fromCharCode.apply(null, line));
          line = [];
        } else if (c != null) {
          line.push(c);
        }
      });
      var lines = text.split('\n').filter(function(line) {
        return !/^\s*trace(\s|$)/i.test(line);
      });
      lines.push('trace /dev/trace');
      FS.mkdir('/driver');
      FS.writeFile('/driver/script.txt', lines.join('\n') + '\n');
      Module.arguments.push('--driver', '/driver/script.txt');
      removeRunDependency('crumlet-driver');
    }).catch(function(err) {
      var text = 'driver script ' + driver + ' cannot be read: ' + err.message;
      console.error(text);
      c.status(text);
    });
  }
});

Module.onExit = function(status) {
  var c = Module.crumlet;
  c.exitStatus = status;
  c.status(status == 0 ? 'The game has ended. Reload the page to play again.'
                       : 'The game stopped (status ' + status + '): ' + (c.lastError || ''));
};
Module.print = function(text) { console.info(text); };
Module.printErr = function(text) {
  Module.crumlet.lastError = text;
  console.warn(text);
};
