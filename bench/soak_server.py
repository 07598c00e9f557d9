#!/usr/bin/env python3
"""Pages for the agent soak, on loopback: working, failing, slow and redirecting.

  /ok/N         a page with a value; every tenth page changes its value every 20 seconds
  /nomatch/N    a page without the value (the beacon's pattern finds nothing, so it is due every tick)
  /redirect/N   302 to /nomatch/N
  /error/N      500 with an error page
  /slow/N       the /nomatch page after a 3-second wait

Usage: soak_server.py PORT. Serves until killed; every request is answered and the connection closed.
"""
import http.server
import sys
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def send_page(self, status, body):
        data = body.encode()
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        parts = self.path.strip("/").split("/")
        kind, n = (parts + ["", "0"])[:2]
        if kind == "ok":
            value = int(n) + (int(time.time() // 20) if int(n) % 10 == 0 else 0)
            self.send_page(200, f"<html><body><p>Item {n}</p><td>Price: <b>{value}</b></td></body></html>\n")
        elif kind == "nomatch":
            self.send_page(200, f"<html><body><p>Item {n} has no price today</p></body></html>\n")
        elif kind == "redirect":
            self.send_response(302)
            self.send_header("Location", f"/nomatch/{n}")
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif kind == "error":
            self.send_page(500, "<html><body>Internal Server Error</body></html>\n")
        elif kind == "slow":
            time.sleep(3)
            self.send_page(200, f"<html><body><p>Slow item {n}</p></body></html>\n")
        else:
            self.send_page(404, "not found\n")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # The agent hangs up on pages it stops reading (a stop, a full page buffer): not worth a trace.
        if not isinstance(sys.exc_info()[1], (BrokenPipeError, ConnectionResetError)):
            super().handle_error(request, client_address)


if __name__ == "__main__":
    server = Server(("127.0.0.1", int(sys.argv[1])), Handler)
    server.serve_forever()
