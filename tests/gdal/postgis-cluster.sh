#!/bin/sh
# A throwaway PostgreSQL cluster with PostGIS for the data source tests.
#
#   postgis-cluster.sh setup   STATE   initdb into a new temporary folder, start the server on a
#                                      free port of 127.0.0.1, create the database and PostGIS
#   postgis-cluster.sh start   STATE   start the server again on the same port
#   postgis-cluster.sh cleanup STATE   stop the server and remove the folder
#
# STATE is a file of KEY=VALUE lines for the tests: CONNECTION is GDAL's "PG:" connection string.
# Where the server programs are missing, setup writes SKIP="<reason>" instead and succeeds.
# PostgreSQL refuses to run as root, so as root the server runs as the postgres system user.
set -eu

action=${1:?action: setup, start or cleanup}
state=${2:?state file}

as_server_user() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

state_value() {
    sed -n "s/^$1=//p" "$state" 2>/dev/null | head -n 1
}

skip() {
    printf 'SKIP="%s"\n' "$1" >"$state"
    echo "postgis-cluster: $1" >&2
    exit 0
}

start_server() { # bindir dir port
    as_server_user "$1/pg_ctl" -D "$2/data" -l "$2/server.log" -w -t 60 \
        -o "-p $3 -k $2 -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off" start >/dev/null
}

cleanup() {
    [ -f "$state" ] || return 0
    dir=$(state_value CLUSTER_DIR)
    if [ -n "$dir" ] && [ -d "$dir" ]; then
        as_server_user "$(state_value BINDIR)/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
        rm -rf "$dir"
    fi
    rm -f "$state"
}

setup() {
    cleanup # whatever a run that was cut short left behind
    bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    [ -n "$bindir" ] && [ -x "$bindir/initdb" ] && [ -x "$bindir/pg_ctl" ] ||
        skip "the PostgreSQL server programs (initdb, pg_ctl) are not installed"
    version=$(basename "$(dirname "$bindir")")
    [ -f "/usr/share/postgresql/$version/extension/postgis.control" ] ||
        skip "the PostGIS extension of PostgreSQL $version is not installed"
    [ "$(id -u)" -ne 0 ] || id postgres >/dev/null 2>&1 || skip "there is no postgres system user to run the server as"

    dir=$(mktemp -d "${TMPDIR:-/tmp}/dorvellxsd-pg.XXXXXX")
    [ "$(id -u)" -ne 0 ] || chown postgres "$dir"
    printf 'BINDIR=%s\nCLUSTER_DIR=%s\n' "$bindir" "$dir" >"$state"
    as_server_user "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C --no-sync \
        >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }

    # Another server may take a port between the look and the bind: then try the next one.
    first=$((20000 + $$ % 20000))
    for port in $(seq "$first" $((first + 19))) none; do
        [ "$port" != none ] || { cat "$dir/server.log" >&2; exit 1; }
        start_server "$bindir" "$dir" "$port" && break
    done
    printf 'PORT=%s\n' "$port" >>"$state"

    psql="$bindir/psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p $port -U postgres"
    as_server_user $psql -d postgres -c "CREATE DATABASE dorvellxsd ENCODING 'UTF8' TEMPLATE template0"
    as_server_user $psql -d dorvellxsd -c "CREATE EXTENSION postgis"
    printf 'CONNECTION=PG:host=127.0.0.1 port=%s dbname=dorvellxsd user=postgres\n' "$port" >>"$state"
}

case "$action" in
setup) setup ;;
start) start_server "$(state_value BINDIR)" "$(state_value CLUSTER_DIR)" "$(state_value PORT)" ;;
cleanup) cleanup ;;
*) echo "postgis-cluster: unknown action $action" >&2 && exit 2 ;;
esac
