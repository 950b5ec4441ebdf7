#!/usr/bin/env bash
# An HTTP proxy for the delivery tests (tinyproxy on loopback). Usage: proxy_peer.sh DIR.
# Writes DIR/env (VELMORA_TEST_PROXY_HOST, VELMORA_TEST_PROXY_PORT) and runs in the foreground.
set -euo pipefail
dir=$1
mkdir -p "$dir"
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$dir/tinyproxy.conf" <<CONF
Port $port
Listen 127.0.0.1
Timeout 60
MaxClients 50
Allow 127.0.0.1
LogLevel Critical
LogFile "$dir/tinyproxy.log"
DisableViaHeader Yes
CONF
printf 'VELMORA_TEST_PROXY_HOST=127.0.0.1\nVELMORA_TEST_PROXY_PORT=%s\n' "$port" >"$dir/env.tmp"
(
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      mv "$dir/env.tmp" "$dir/env"
      exit 0
    fi
    sleep 0.1
  done
) &
exec tinyproxy -d -c "$dir/tinyproxy.conf"
