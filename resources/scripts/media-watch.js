// Watches the page's media elements, registered before any script of the page, so the page can
// neither stop nor see it. Media events do not bubble, but a capturing listener sees them on their
// way to the element, in every frame. Each report names its kind and carries the counts of the
// frame's elements, so nobody has to ask the page again; a document going away reports none.
// SORA_TOKEN (the mark of the program's own console messages) and SORA_STALL_MS are filled in
// when the script is installed.
(() => {
  const frame = Math.random().toString(36).slice(2), fresh = "sora-fresh:";
  const known = new Set(), played = new WeakSet(), live = new WeakSet();
  const announced = new WeakMap(), clock = new Map(), moving = new Map();
  let stallCheck = 0;
  // A stream's address without the word a fresh load added to it.
  const plain = (src) => src.replace(/[?&]sora-fresh=\d+$/, "");
  const say = (kind, m, gone) => {
    let playing = 0, paused = 0;
    if (!gone) {
      for (const e of new Set([...document.querySelectorAll("audio, video"), ...known])) {
        if (!e.isConnected && e.paused) { known.delete(e); continue; }
        if (!e.paused) playing++;
        else if (e.currentSrc && !e.ended) paused++;
      }
    }
    const report = {k: kind, f: frame, p: playing, q: paused};
    if (kind === "ended") {
      // An end after more than the announced length played (a live stream whose first bytes
      // carried a file's length) is the end of a live stream, too.
      const length = announced.get(m);
      if (length !== undefined &&
          (m.currentTime > length + 0.5 || (clock.get(m)?.total ?? 0) > length * 1000 + 2000)) live.add(m);
      report.l = live.has(m);
    }
    // What plays, as its page named it: the word a fresh load added is no part of the stream.
    if (kind === "playing") report.s = plain(m.currentSrc);
    console.info(SORA_TOKEN + " " + JSON.stringify(report));
  };
  // A station page names its stream's server and mount in its address, read as the program reads
  // it: the first "&serv=" and "&mount=" anywhere in it, each up to the next "&", not empty.
  const value = (address, key) => {
    const at = address.indexOf(key);
    if (at < 0) return "";
    const end = address.indexOf("&", at + key.length);
    return address.slice(at + key.length, end < 0 ? undefined : end);
  };
  const stationPage = () => {
    try { return value(top.location.href, "&serv=") !== "" && value(top.location.href, "&mount=") !== ""; }
    catch (e) { return false; }
  };
  const run = (m, on) => {
    const c = clock.get(m) ?? {total: 0, since: 0};
    if (c.since) c.total += Date.now() - c.since;
    c.since = on ? Date.now() : 0;
    clock.set(m, c);
  };
  // The check of positions runs only while something plays: an idle page is never woken.
  const checkStalls = () => {
    const now = Date.now();
    for (const [m, s] of moving) {
      if (!m.isConnected || m.paused || m.ended) { moving.delete(m); continue; }
      if (m.currentTime !== s.at) { s.at = m.currentTime; s.since = now; s.told = false; }
      else if (!s.told && now - s.since > SORA_STALL_MS) { s.told = true; say("stalled", m); }
    }
    watchStalls();
  };
  const watchStalls = () => {
    if (moving.size && !stallCheck) stallCheck = setInterval(checkStalls, 1000);
    else if (!moving.size && stallCheck) { clearInterval(stallCheck); stallCheck = 0; }
  };
  const stop = (m) => { moving.delete(m); run(m, false); watchStalls(); };
  const on = (type, handler) => window.addEventListener(type, (e) => {
    if (e.target instanceof HTMLMediaElement) { known.add(e.target); handler(e.target); }
  }, true);
  on("durationchange", (m) => {
    if (!isFinite(m.duration)) live.add(m);
    else if (!announced.has(m)) announced.set(m, m.duration);
  });
  on("play", (m) => say("changed", m));
  on("playing", (m) => {
    played.add(m);
    if (!isFinite(m.duration)) live.add(m);
    run(m, true);
    moving.set(m, {at: m.currentTime, since: Date.now(), told: false});
    watchStalls();
    say("playing", m);
  });
  on("waiting", (m) => run(m, false));
  on("pause", (m) => {
    stop(m);
    say(m.ended || m.error ? "changed" : "paused", m);
  });
  on("ended", (m) => {
    stop(m);
    say("ended", m);
    // The engine keeps a live stream that it took for a file whole once it ended, and the page
    // loaded again would play it from memory: the next load of that stream asks its server anew.
    // Only live streams: the address of a file may not take a word added to it.
    if (played.has(m) && (live.has(m) || stationPage()))
      try { sessionStorage.setItem(fresh + plain(m.currentSrc), Date.now()); } catch (e) {}
  });
  on("loadstart", (m) => {
    const src = plain(m.currentSrc || m.src);
    let asked = 0;
    try { asked = Number(sessionStorage.getItem(fresh + src)); sessionStorage.removeItem(fresh + src); } catch (e) {}
    if (asked && Date.now() - asked < 600000)
      m.src = src + (src.includes("?") ? "&" : "?") + "sora-fresh=" + Date.now();
  });
  on("emptied", (m) => {
    stop(m); live.delete(m); announced.delete(m); clock.delete(m);
    say("changed", m);
  });
  on("error", (m) => { stop(m); say(played.has(m) ? "failed" : "changed", m); });
  window.addEventListener("pagehide", () => say("changed", null, true));
})();
