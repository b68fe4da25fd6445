#!/usr/bin/env bash
# Turns each *.nft rule set here into the *.json that `nft -j list ruleset` prints for
# it. Loads the rules only inside a private network namespace with nothing but
# loopback, never into this computer's own firewall. Needs root (or unshare -r).
set -euo pipefail
cd "$(dirname "$0")"
if [ "${FIREWALL_FIXTURES_INSIDE:-}" != 1 ]; then
    exec unshare -n env FIREWALL_FIXTURES_INSIDE=1 bash "$0"
fi
if [ "$(ip -o link show | awk -F': ' '{print $2}')" != lo ]; then
    echo "$(basename "$0"): interfaces other than lo are present; refusing to load rules" >&2
    exit 1
fi
for source in *.nft; do
    nft flush ruleset
    nft -f "$source"
    nft -j list ruleset >"${source%.nft}.json"
done
nft flush ruleset
