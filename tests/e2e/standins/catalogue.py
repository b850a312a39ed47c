#!/usr/bin/env python3
"""A stand-in for the open station catalogue: the JSON requests the built-in directory makes, on
loopback, with a few dozen made-up stations whose streams are a test's own stream server.

    catalogue.py --stream-base http://127.0.0.1:PORT --log FILE --ready-file FILE [--port N]

Every request is logged as one flushed line: "<epoch> GET <path-with-query> <status> <user agent>".
"""

import argparse
import json
import os
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

JAPANESE = [("ラジオ夢見", "jpop,ambient"), ("深夜の灯台", "talk,news"), ("星屑ステーション", "jpop"),
            ("海風エフエム", "jazz,lounge"), ("霧里ラ局", "anime"), ("懐メロ局", "oldies,enka")]


def stations(stream_base):
    out = []
    for i, ((name, tags), ch) in enumerate(zip(JAPANESE, (1, 2, 3, 4, 1, 7))):
        out.append(dict(name=name, tags=tags, countrycode="JP", country="Japan", codec="MP3", bitrate=32,
                        url=f"{stream_base}/station{ch}", clickcount=1000 - i))
    for i in range(30):
        out.append(dict(name=f"World Radio {i + 1}", tags="pop,news" if i % 2 else "rock", countrycode="US",
                        country="The United States Of America", codec="MP3", bitrate=128,
                        url=f"{stream_base}/station1", clickcount=5000 - i))
    out.append(dict(name="Smooth Jazz Global", tags="jazz,smooth jazz", countrycode="GB",
                    country="The United Kingdom", codec="AAC", bitrate=64, url=f"{stream_base}/station4",
                    clickcount=3000))
    out.append(dict(name='<img src=x onerror="document.title=1">Mark', tags="test", countrycode="JP",
                    country="Japan", codec="MP3", bitrate=32, url=f"{stream_base}/station2", clickcount=1))
    out.append(dict(name="Secure FM", tags="jazz", countrycode="DE", country="Germany", codec="MP3",
                    bitrate=128, url="https://127.0.0.1:9/secure", clickcount=2500))
    out.append(dict(name="Broken FM", tags="jazz", countrycode="JP", country="Japan", codec="MP3",
                    bitrate=128, url=f"{stream_base}/station1", clickcount=900, lastcheckok=0))
    for n, s in enumerate(out):
        s.setdefault("lastcheckok", 1)
        s.update(stationuuid=f"00000000-0000-4000-8000-{n:012d}", url_resolved=s["url"], homepage="",
                 hls=0, lastchangetime_iso8601="2026-12-01T09:30:00Z")
    return out


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        app = self.server.app
        url = urlsplit(self.path)
        q = {k: v[0] for k, v in parse_qs(url.query).items()}
        body, status = self.answer(app, url.path, q)
        with app.lock:
            app.log.write("%.3f GET %s %d %s\n" % (time.time(), self.path, status,
                                                  self.headers.get("User-Agent", "")))
            app.log.flush()
        data = json.dumps(body).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def answer(self, app, path, q):
        if path == "/json/stats":
            return dict(supported_version=1, software_version="0.7.0", status="OK",
                        stations=len(app.stations), stations_broken=1, tags=12), 200
        if path == "/json/tags":
            return [dict(name=t, stationcount=3) for t in ("jazz", "news", "pop", "rock", "jpop")], 200
        if path == "/json/countries":
            return [dict(name="Japan", iso_3166_1="JP", stationcount=8),
                    dict(name="Germany", iso_3166_1="DE", stationcount=1)], 200
        if path.startswith("/json/url/"):
            return dict(ok="true", message="retrieved station url"), 200
        if path == "/json/stations/byuuid":
            return [s for s in app.stations if s["stationuuid"] in q.get("uuids", "").split(",")], 200
        if path == "/json/stations/lastchange":
            return app.stations[:1], 200
        if path == "/json/stations/search":
            found = [s for s in app.stations
                     if (q.get("hidebroken") != "true" or s["lastcheckok"])
                     and q.get("name", "").lower() in s["name"].lower()
                     and (not q.get("countrycode") or s["countrycode"] == q["countrycode"])
                     and (not q.get("tag") or (q["tag"] in s["tags"].split(",") if q.get("tagExact") == "true"
                                                else q["tag"] in s["tags"]))]
            found.sort(key=lambda s: s["clickcount"], reverse=q.get("reverse") == "true")
            offset, limit = int(q.get("offset", 0)), int(q.get("limit", 100000))
            return found[offset:offset + limit], 200
        return dict(error="not found"), 404


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--stream-base", required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--ready-file", required=True)
    args = p.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.app = argparse.Namespace(stations=stations(args.stream_base), lock=threading.Lock(),
                                    log=open(args.log, "a", encoding="utf-8"))
    tmp = args.ready_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, args.ready_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
