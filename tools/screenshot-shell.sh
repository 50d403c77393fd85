#!/usr/bin/env bash
# Takes the README's picture of the Linux reference shell: hintbar-shell in a private tmux
# server with the sample help file, after "echo %@left[" was typed, rendered to PNG with
# ImageMagick. Needs a built linux preset. Without OUT.png the picture goes to build/screenshots/,
# so that the README's own picture in docs/ changes only when named.
#   tools/screenshot-shell.sh [OUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/screenshots/linux-shell.png}
mkdir -p "$(dirname "$out")"
shell=$root/build/linux/bin/hintbar-shell
font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
columns=100 rows=9

missing=()
command -v tmux >/dev/null || missing+=(tmux)
command -v python3 >/dev/null || missing+=(python3)
[ -x /usr/bin/convert ] || command -v convert >/dev/null || missing+=(imagemagick)
[ -e "$font" ] || missing+=(fonts-dejavu-core)
if [ ${#missing[@]} -gt 0 ]; then
  echo "screenshot-shell: missing ${missing[*]}; install with: bash tools/setup.sh pictures" >&2
  exit 1
fi
[ -x "$shell" ] || { echo "screenshot-shell: build the linux preset first ($shell)" >&2; exit 1; }

socket=hbshot-$$
work=$(mktemp -d)
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
printf 'set -g status off\nset -g history-limit 0\n' >"$work/tmux.conf"
tmux -u -L "$socket" -f "$work/tmux.conf" new-session -d -s shot -x $columns -y $rows \
  "env -u NoLoadMsg Hintbar=$root/data/Hintbar.txt $shell"
sleep 1
tmux -L "$socket" send-keys -t shot -l 'echo %@upper[plain text]'
tmux -L "$socket" send-keys -t shot Enter
sleep 0.3
tmux -L "$socket" send-keys -t shot -l 'echo %@left['
sleep 0.5
tmux -u -L "$socket" capture-pane -p -e -N -t shot >"$work/screen.txt"
tmux -L "$socket" send-keys -t shot C-u exit Enter
python3 "$root/tools/render_terminal.py" $columns $rows "$font" <"$work/screen.txt" >"$work/screen.mvg"
# Not a stand-in that a PATH may put first: the picture needs ImageMagick's own.
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert
"$convert" "mvg:$work/screen.mvg" -alpha off -depth 8 -strip "$out"
echo "wrote $out"
