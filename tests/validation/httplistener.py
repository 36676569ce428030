#!/usr/bin/env python3
"""A local HTTP listener for the tests of network access.

Listens on a free port of 127.0.0.1, prints the port on its first line, then one line per request
("GET /path"). Mode "serve" answers every request with the file named by the second argument;
mode "silent" accepts each connection and never answers. It ends after 20 requests or 120
seconds, whichever comes first, so a test that forgets it leaves nothing behind for long.
"""
import socket
import sys
import time

MAX_REQUESTS = 20
LIFETIME_SECONDS = 120


def main():
    mode = sys.argv[1]
    body = open(sys.argv[2], 'rb').read() if mode == 'serve' else b''
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(('127.0.0.1', 0))
    server.listen(8)
    server.settimeout(1.0)
    print(server.getsockname()[1], flush=True)
    deadline = time.monotonic() + LIFETIME_SECONDS
    held = []  # silent connections stay open until the listener ends
    requests = 0
    while requests < MAX_REQUESTS and time.monotonic() < deadline:
        try:
            connection, _ = server.accept()
        except socket.timeout:
            continue
        requests += 1
        connection.settimeout(5.0)
        try:
            request = connection.recv(4096).decode('latin-1').split('\r\n')[0]
        except socket.timeout:
            request = '(nothing)'
        print(' '.join(request.split(' ')[:2]), flush=True)
        if mode == 'silent':
            held.append(connection)
            continue
        connection.sendall(b'HTTP/1.0 200 OK\r\nContent-Type: application/xml\r\nContent-Length: '
                           + str(len(body)).encode() + b'\r\n\r\n' + body)
        connection.close()


main()
