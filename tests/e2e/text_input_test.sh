#!/usr/bin/env bash
# Text typed on other keyboard layouts (switched with setxkbmap), as INKEY$,
# the BIOS keyboard buffer and the key-hit ring give it:
# - characters above 127 arrive as their code-page codes (the code page's
#   glyph forms too: section sign 21), a character the code page lacks (the
#   euro sign) only in the ring, as its Unicode value + 0x40000000;
# - dead keys compose with the next key, and a dead key then Space gives the
#   spacing character: on us intl ' and " can be typed;
# - a key that does not compose with a dead key arrives, after the accent
#   when it types a character; Alt+Enter after a dead key switches to full
#   screen; a loss of the focus ends a dead key's sequence;
# - Alt with a dead key and a composed character leaves no key held;
# - a German sentence typed into INPUT is stored as code-page bytes.
# The program starts and takes typed text with no locale settings at all,
# and with LANG naming a locale that is not installed.
#
# Usage: text_input_test.sh PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1
e2e_init "$2"
wait_s=5

# ring_expect TEXT WHAT: the key-hit ring's codes, without those of the
# modifier keys, gathered until as long as TEXT, are exactly TEXT.
ring_expect() {
    local got= answer code
    for _ in $(seq 20); do
        answer=$(program_ask keys keys: "$wait_s")
        for code in ${answer#keys:}; do
            ((${code#-} >= 100300 && ${code#-} <= 100308)) || got+=" $code"
        done
        [[ ${#got} -ge ${#1} ]] && break
        sleep 0.1
    done
    [[ $got == "$1" ]] || fail "$2: the ring gave \"$got\", not \"$1\""
}

layout_set() {
    # shellcheck disable=SC2086 # the layout's words are setxkbmap's arguments
    setxkbmap $1
    sleep 0.2
}

# window_start ENV...: the program under the environment changes given, its
# window focused.
window_start() {
    program_start env -u LC_ALL -u LC_CTYPE -u LANG -u LANGUAGE "$@" "$program"
    output_wait ready "$wait_s"
    win=$(window_wait "Window Check")
    xdotool windowfocus --sync "$win"
}

xvfb_start
window_start

# layout | keys as xdotool names them | BIOS pairs | ring (modifiers left out)
rows=(
    "de|adiaeresis Odiaeresis ssharp| 84:00 99:00 e1:00| 132 -132 153 -153 225 -225"
    "de|section degree mu twosuperior| 15:00 f8:00 e6:00 fd:00| 21 -21 248 -248 230 -230 253 -253"
    "fr|eacute egrave ccedilla agrave ugrave| 82:00 8a:00 87:00 85:00 97:00| 130 -130 138 -138 135 -135 133 -133 151 -151"
    "gb|sterling| 9c:00| 156 -156"
    "es|ntilde exclamdown questiondown| a4:00 ad:00 a8:00| 164 -164 173 -173 168 -168"
    "de|EuroSign|| 1073750188 -1073750188"
    "de|dead_circumflex e dead_circumflex space| 88:00 5e:07| 136 -136 94 -94"
    "us -variant intl|dead_acute space dead_diaeresis space| 27:28 22:28| 39 -39 34 -34"
    "us -variant intl|dead_tilde n dead_acute e| a4:00 82:00| 164 -164 130 -130"
    "us -variant intl|alt+dead_acute alt+e| 82:00| 130 -130"
    "de|dead_circumflex d| 5e:07 64:20| 94 -94 100 -100"
    "de|dead_acute Return| 0d:1c| 13 -13"
    "us -variant intl|dead_acute t| 74:14| 1073742004 -1073742004 116 -116"
    "us -variant intl|dead_acute Return| 0d:1c| 13 -13"
)
for row in "${rows[@]}"; do
    IFS='|' read -r layout keys pairs ring <<<"$row"
    layout_set "$layout"
    read -ra key_list <<<"$keys"
    xdotool key --delay 20 "${key_list[@]}"
    ring_expect "$ring" "$layout: $keys"
    answer=$(program_ask bios bios: "$wait_s")
    [[ $answer == "bios:$pairs" ]] || fail "$layout: $keys: \"$answer\", not \"bios:$pairs\""
    inkey=$(sed -E 's/ (..):../ \1/g' <<<"$pairs")
    gathered_expect inkey "$inkey" "$layout: $keys"
done
answer=$(program_ask "held 130 100308" held: "$wait_s")
[[ $answer == "held: 0 0 flags 00 00" ]] || fail "Alt with a dead key: \"$answer\" held"

# A dead key, the focus away in a clock's window and back: "d" comes alone.
layout_set de
xclock -title "Focus Taker" 2>/dev/null &
other=$(window_wait "Focus Taker")
xdotool key dead_circumflex
xdotool windowfocus --sync "$other"
xdotool windowfocus --sync "$win"
xdotool key d
ring_expect " 100 -100" "de: dead_circumflex, the focus away and back, d"

program_say "input Text? "
sleep 0.3
xdotool type --delay 20 "Zwölf Boxkämpfer über den großen ÄÖÜ"
xdotool key Return
output_wait $'input:Zw\x94lf Boxk\x84mpfer \x81ber den gro\xe1en \x8e\x99\x9a' "$wait_s"

# Alt+Enter after a dead key switches to full screen.
xdotool key --delay 20 dead_acute alt+Return
window_size_wait "$win" 1024x768 "$wait_s"

# A locale that is not installed: ASCII and a composed character all the same.
program_say end
program_exit_wait "$wait_s"
window_start LANG=xx_YY.UTF-8
xdotool key --delay 20 a B 1 dead_circumflex e
ring_expect " 97 -97 66 -66 49 -49 136 -136" "with a locale that is not installed"

echo "text input: ok"
