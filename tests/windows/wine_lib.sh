# What the Wine tests share, sourced after tests/e2e/lib.sh.

# A map whose junction the tests drag, and the same map after that drag.
JUNCTION_MAP=$'0 10 0.5 18\n10 18 10.5 10\n5\n10.5 10 12 8\n14 8 16 10\n5'
JUNCTION_DRAGGED=$'0 10 0.5 18\n18.4 21.9 18.9 13.9\n5\n18.9 13.9 20.4 11.9\n14 8 16 10\n5'

# windows_pid PROGRAM: the Linux process that runs the Wine program PROGRAM
# (started by its path or by its bare name).
windows_pid() {
    local file
    for file in /proc/[0-9]*/cmdline; do
        { tr '\0' ' ' <"$file"; } 2>/dev/null | grep -qiE "^([^ ]*[\\/])?$1( |\$)" && { basename "$(dirname "$file")"; return 0; }
    done
    return 1
}
