#!/usr/bin/python3
"""OBS Studio's own answers for the tests: an obs-websocket 5 client of its own, apart from the
program's, driven a line at a time.

usage: obs_control.py PORT [PASSWORD]
Connects (trying again until OBS Studio answers, 30 s at most) and prints {"ready": true}; then
reads one JSON request a line, {"requestType": "...", "requestData": {...}}, and prints OBS's
answer on one line, {"requestStatus": {...}, "responseData": {...}}, with "before" and "after"
(monotonic seconds around the call). Ends at the end of its input or when OBS goes away.
Needs Debian's python3-websockets: run with /usr/bin/python3.
"""
import asyncio
import base64
import hashlib
import json
import sys
import time

import websockets


def auth_string(password, salt, challenge):
    secret = base64.b64encode(hashlib.sha256((password + salt).encode()).digest()).decode()
    return base64.b64encode(hashlib.sha256((secret + challenge).encode()).digest()).decode()


async def connect(port, password):
    ws = await websockets.connect(f"ws://127.0.0.1:{port}", subprotocols=["obswebsocket.json"],
                                  open_timeout=3, max_size=None)
    hello = json.loads(await asyncio.wait_for(ws.recv(), 3))["d"]
    identify = {"rpcVersion": 1, "eventSubscriptions": 0}
    if "authentication" in hello:
        a = hello["authentication"]
        identify["authentication"] = auth_string(password or "", a["salt"], a["challenge"])
    await ws.send(json.dumps({"op": 1, "d": identify}))
    reply = json.loads(await asyncio.wait_for(ws.recv(), 3))
    assert reply["op"] == 2, reply
    return ws


async def main(port, password):
    started = time.monotonic()
    while True:
        try:
            ws = await connect(port, password)
            break
        except Exception as e:  # not listening yet
            if time.monotonic() - started > 30:
                print(json.dumps({"error": repr(e)}), flush=True)
                return 1
            await asyncio.sleep(0.1)
    print(json.dumps({"ready": True}), flush=True)
    loop = asyncio.get_running_loop()
    n = 0
    while True:
        line = await loop.run_in_executor(None, sys.stdin.readline)
        if not line:
            return 0
        request = json.loads(line)
        n += 1
        request["requestId"] = str(n)
        before = time.monotonic()
        try:
            await ws.send(json.dumps({"op": 6, "d": request}))
            while True:  # no events are subscribed: the next message is the answer
                answer = json.loads(await asyncio.wait_for(ws.recv(), 10))
                if answer["op"] == 7 and answer["d"]["requestId"] == str(n):
                    break
        except Exception as e:
            print(json.dumps({"error": repr(e)}), flush=True)
            return 1
        after = time.monotonic()
        d = answer["d"]
        print(json.dumps({"requestStatus": d["requestStatus"], "responseData": d.get("responseData", {}),
                          "before": before, "after": after}), flush=True)


if __name__ == "__main__":
    sys.exit(asyncio.run(main(int(sys.argv[1]), sys.argv[2] if len(sys.argv) > 2 else None)))
