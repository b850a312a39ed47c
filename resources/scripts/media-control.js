// Walks the frames a script of ours may enter (the page's own site) and runs the command on every
// media element there; answers [playing, paused, unreachable]. The mark of a pause of ours lives
// in our own script world, out of the page's sight. SORA_COMMAND is filled in at each run.
(function (command) {
  var all = [], unreachable = false;
  (function visit(win) {
    var doc = null;
    try { doc = win.document; } catch (e) {}
    if (!doc) { unreachable = true; return; }
    var found = doc.querySelectorAll('audio, video');
    for (var i = 0; i < found.length; ++i) all.push(found[i]);
    for (var j = 0; j < win.frames.length; ++j) visit(win.frames[j]);
  })(window);
  var ours = all.filter(function (m) { return m.__soraPaused; });
  all.forEach(function (m) {
    if (command === 'pause' && !m.paused) {
      m.pause();
      m.__soraPaused = true;
    } else if (command === 'resume' && m.paused && (ours.length ? m.__soraPaused : m.currentSrc)) {
      m.__soraPaused = false;
      var p = m.play();
      if (p) p.catch(function () {});
    }
  });
  var state = [0, 0, unreachable];
  all.forEach(function (m) {
    if (!m.paused) state[0]++;
    else if (m.currentSrc && !m.ended) state[1]++;
  });
  return state;
})(SORA_COMMAND)
