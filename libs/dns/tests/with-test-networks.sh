#!/bin/sh
# Runs a command in a private network namespace whose only interface, lo, carries a
# known set of networks, so subnet-mask proposals do not depend on the test computer.
# Without root, a user namespace grants the rights to set up the network namespace.
set -eu
if [ "$(id -u)" -eq 0 ]; then
    namespace="unshare --net"
else
    namespace="unshare --user --map-root-user --net"
fi
exec $namespace sh -euc '
    ip link set lo up
    ip addr add 10.20.0.1/16 dev lo
    ip addr add 10.20.30.1/24 dev lo
    ip addr add 192.168.77.1/22 dev lo
    ip addr add 172.31.4.1/26 dev lo label lo:cam
    DNS_TEST_NETWORKS=1 exec "$@"
' sh "$@"
