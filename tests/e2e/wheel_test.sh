#!/usr/bin/env bash
# The mouse wheel in the real window: its steps are no clicks.
source "$(dirname "$0")/lib.sh"

step "wheel steps over Max and over Export Map press nothing"
new_workdir wheel-no-click
printf 'echo copied >copied\n' >copy.bat
start_editor
move 770 20
click_here 4
click_here 5
open_file_bar # a real click: the first line of output must be its own
move 707 20
click_here 4
click_here 5
click 770 20 # "Min": its message shows that the steps before it were handled
wait_for_log_line "Minimize pressed"
expect_file_content editor.log $'Maximize pressed\nMinimize pressed\n' "output after the wheel steps"
[ -z "$(stray_files copy.bat)" ] || fail "the wheel steps wrote files: $(stray_files copy.bat)"
stop_editor

echo "PASS wheel_test"
