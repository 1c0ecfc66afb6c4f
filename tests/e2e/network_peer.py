"""Plain TCP peers for the network test, on 127.0.0.1 and a port the system
picks, which each prints as its first line of output.

  network_peer.py send FILE   accepts one connection, sends the file, closes
  network_peer.py silent      accepts one connection and never reads from it
  network_peer.py web TEXT    an HTTP server whose every GET answers TEXT
  network_peer.py freeport    prints a port that is free now and ends
"""
import http.server
import socket
import sys
import time


def listener():
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen()
    print(s.getsockname()[1], flush=True)
    return s


def send(path):
    conn, _ = listener().accept()
    with open(path, "rb") as f:
        conn.sendall(f.read())
    conn.close()


def silent():
    conn, _ = listener().accept()
    time.sleep(60)


def web(text):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            body = (text + "\r\n").encode()
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


def freeport():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    print(s.getsockname()[1])


if __name__ == "__main__":
    mode = sys.argv[1]
    if mode == "send":
        send(sys.argv[2])
    elif mode == "silent":
        silent()
    elif mode == "web":
        web(sys.argv[2])
    else:
        freeport()
