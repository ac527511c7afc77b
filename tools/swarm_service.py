#!/usr/bin/env python3
"""A local swarm service for tests and the demo, on 127.0.0.1 only.

It plays every part the player talks to:
  web index           GET /info_hash/33/49/<hash>      -> the swarm's file records
  resolution server   GET /fx.php?hash=<name>&index=<size> -> "file_hash" : "<sha1>"
                      GET /code.php?sha1=<sha1>        -> code:<url>#cookie:FTN5K=<token>|
  alternative server  GET /code.php/?sha1=<sha1>       -> code:<url>#cookie:<token>|
  media               GET /media/<sha1>                -> the file, with ranges; 403 without
                                                          the cookie FTN5K=<token>
  requests seen       GET /_requests                   -> JSON list (for tests)

The catalogue is one swarm per folder given: its hash is the SHA-1 of the
folder's name (or --hash), its files the folder's media files.
"""
import argparse
import hashlib
import http.server
import json
import os
import re
import secrets
import sys
import threading
import urllib.parse


class Catalogue:
    def __init__(self, folders, hashes):
        self.swarms = {}  # hash -> list of files
        self.by_sha1 = {}
        self.token = secrets.token_hex(8)
        for i, folder in enumerate(folders):
            name = os.path.basename(os.path.abspath(folder))
            swarm = (hashes[i] if i < len(hashes) else hashlib.sha1(name.encode()).hexdigest()).upper()
            files = []
            for index, entry in enumerate(sorted(os.listdir(folder))):
                path = os.path.join(folder, entry)
                if not os.path.isfile(path) or entry.startswith("."):
                    continue
                digest = hashlib.sha1(path.encode() + str(os.path.getsize(path)).encode()).hexdigest().upper()
                record = {"index": len(files), "name": entry, "size": f"{os.path.getsize(path) / 1048576:.2f} MB",
                          "sha1": digest, "path": path}
                files.append(record)
                self.by_sha1[digest] = record
            self.swarms[swarm] = files

    def describe(self):
        lines = []
        for swarm, files in self.swarms.items():
            lines.append(f"swarm {swarm}")
            for f in files:
                lines.append(f"  {f['index']}  {f['name']}  {f['size']}  {f['sha1']}")
        return "\n".join(lines)


def make_handler(catalogue, seen, lock):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def send(self, status, body, content_type="text/plain; charset=gbk", extra=()):
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            for name, value in extra:
                self.send_header(name, value)
            self.end_headers()
            if self.command != "HEAD":
                self.wfile.write(body)

        def do_HEAD(self):
            self.do_GET()

        def do_GET(self):
            with lock:
                seen.append({"path": self.path, "cookie": self.headers.get("Cookie", ""),
                             "range": self.headers.get("Range", "")})
            url = urllib.parse.urlsplit(self.path)
            # The player sends GBK text, percent-encoded.
            query = urllib.parse.parse_qs(url.query, keep_blank_values=True, encoding="gbk", errors="replace")
            port = self.server.server_address[1]
            if url.path == "/_requests":
                with lock:
                    return self.send(200, json.dumps(seen).encode(), "application/json")
            match = re.fullmatch(r"/info_hash/33/49/(.*)", url.path)
            if match:
                files = catalogue.swarms.get(urllib.parse.unquote(match.group(1)).upper(), [])
                # One array per file, JSON without blanks, names with \\u escapes.
                records = "".join(
                    "[" + json.dumps({k: f[k] for k in ("index", "name", "size", "sha1")},
                                     separators=(",", ":")) + "]" for f in files)
                return self.send(200, ('{"files":' + records + "}").encode("ascii"), "application/json")
            if url.path == "/fx.php":
                name = query.get("hash", [""])[0]
                size = query.get("index", [""])[0]
                found = next((f for f in catalogue.by_sha1.values() if f["name"] == name and f["size"] == size), None)
                return self.send(200, ('{"file_hash" : "' + (found["sha1"] if found else "") + '"}').encode())
            if url.path in ("/code.php", "/code.php/"):
                sha1 = query.get("sha1", [""])[0].upper()
                if sha1 not in catalogue.by_sha1:
                    return self.send(200, b"code:Error#cookie:|")
                cookie = catalogue.token if url.path == "/code.php/" else "FTN5K=" + catalogue.token
                stream = f"http://127.0.0.1:{port}/media/{sha1}"
                return self.send(200, f"code:{stream}#cookie:{cookie}|".encode())
            match = re.fullmatch(r"/media/([0-9A-F]+)", url.path)
            if match and match.group(1) in catalogue.by_sha1:
                if "FTN5K=" + catalogue.token not in self.headers.get("Cookie", ""):
                    return self.send(403, b"forbidden")
                # Only the asked range is read: the movies of a swarm are gigabytes.
                path = catalogue.by_sha1[match.group(1)]["path"]
                size = os.path.getsize(path)
                ranged = re.fullmatch(r"bytes=(\d+)-(\d*)", self.headers.get("Range", ""))
                start, end, status, extra = 0, size - 1, 200, [("Accept-Ranges", "bytes")]
                if ranged:
                    start = int(ranged.group(1))
                    end = min(int(ranged.group(2)) if ranged.group(2) else size - 1, size - 1)
                    if start >= size:
                        return self.send(416, b"", extra=[("Content-Range", f"bytes */{size}")])
                    status = 206
                    extra.insert(0, ("Content-Range", f"bytes {start}-{end}/{size}"))
                with open(path, "rb") as f:
                    f.seek(start)
                    data = f.read(end - start + 1)
                return self.send(status, data, "video/mp4", extra)
            return self.send(404, b"not found")

    return Handler


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folders", nargs="+", help="one folder of media files per swarm")
    parser.add_argument("--port", type=int, default=8830)
    parser.add_argument("--hash", action="append", default=[], help="the info-hash of each folder's swarm")
    parser.add_argument("--ready-file", help="written with the port once the service listens")
    args = parser.parse_args()

    catalogue = Catalogue(args.folders, args.hash)
    seen, lock = [], threading.Lock()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), make_handler(catalogue, seen, lock))
    server.daemon_threads = True
    print(f"swarm service on http://127.0.0.1:{server.server_address[1]}", flush=True)
    print(catalogue.describe(), flush=True)
    if args.ready_file:
        with open(args.ready_file, "w") as f:
            f.write(str(server.server_address[1]))
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
