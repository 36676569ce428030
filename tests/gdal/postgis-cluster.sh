#!/bin/sh
# A throwaway PostgreSQL cluster with PostGIS for the data source tests.
#
#   postgis-cluster.sh setup   STATE   initdb into a new temporary folder, start the server on a
#                                      free port of 127.0.0.1, create the database and PostGIS
#   postgis-cluster.sh stop    STATE   stop the server, keep the cluster
#   postgis-cluster.sh start   STATE   start it again on the same port
#   postgis-cluster.sh cleanup STATE   stop the server and remove the folder
#
# STATE is a file of KEY=VALUE lines that the tests read: CONNECTION holds the GDAL "PG:"
# connection string. Where the server programs are missing, setup writes SKIP=<reason> instead
# and succeeds, and the tests skip with that reason.
#
# PostgreSQL refuses to run as root, so as root the server runs as the postgres system user.
set -eu

action=${1:?action: setup, start, stop or cleanup}
state=${2:?state file}
database=dorvellxsd

as_server_user() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

state_value() {
    sed -n "s/^$1=//p" "$state" 2>/dev/null | head -n 1
}

skip() {
    printf 'SKIP=%s\n' "$1" >"$state"
    echo "postgis-cluster: $1" >&2
    exit 0
}

start_server() { # bindir dir port
    as_server_user "$1/pg_ctl" -D "$2/data" -l "$2/server.log" -w -t 60 \
        -o "-p $3 -k $2 -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off" \
        start >/dev/null
}

stop_server() { # bindir dir
    as_server_user "$1/pg_ctl" -D "$2/data" -m fast -w -t 60 stop >/dev/null
}

remove_cluster() {
    [ -f "$state" ] || return 0
    bindir=$(state_value BINDIR)
    dir=$(state_value CLUSTER_DIR)
    if [ -n "$dir" ] && [ -d "$dir" ]; then
        as_server_user "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
        rm -rf "$dir"
    fi
    rm -f "$state"
}

setup() {
    remove_cluster # left over by a run that was cut short

    bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ] || [ ! -x "$bindir/pg_ctl" ]; then
        skip "the PostgreSQL server programs (initdb, pg_ctl) are not installed"
    fi
    version=$(basename "$(dirname "$bindir")")
    if [ ! -f "/usr/share/postgresql/$version/extension/postgis.control" ]; then
        skip "the PostGIS extension of PostgreSQL $version is not installed"
    fi
    if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
        skip "there is no postgres system user to run the server as"
    fi

    dir=$(mktemp -d "${TMPDIR:-/tmp}/dorvellxsd-pg.XXXXXX")
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    printf 'BINDIR=%s\nCLUSTER_DIR=%s\n' "$bindir" "$dir" >"$state"

    as_server_user "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C \
        --no-sync >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        exit 1
    }

    # Another server may hold a port between the look and the bind: try the next one then.
    first=$((20000 + $$ % 20000))
    port=""
    for offset in 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19; do
        if start_server "$bindir" "$dir" $((first + offset)); then
            port=$((first + offset))
            break
        fi
    done
    if [ -z "$port" ]; then
        cat "$dir/server.log" >&2
        exit 1
    fi
    printf 'PORT=%s\n' "$port" >>"$state"

    psql="$bindir/psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p $port -U postgres"
    as_server_user $psql -d postgres -c "CREATE DATABASE $database ENCODING 'UTF8' TEMPLATE template0"
    as_server_user $psql -d "$database" -c "CREATE EXTENSION postgis"
    printf 'CONNECTION=PG:host=127.0.0.1 port=%s dbname=%s user=postgres\n' "$port" "$database" >>"$state"
}

case "$action" in
setup) setup ;;
start) start_server "$(state_value BINDIR)" "$(state_value CLUSTER_DIR)" "$(state_value PORT)" ;;
stop) stop_server "$(state_value BINDIR)" "$(state_value CLUSTER_DIR)" ;;
cleanup) remove_cluster ;;
*)
    echo "postgis-cluster: unknown action $action" >&2
    exit 2
    ;;
esac
