# The box copes with any text: very long texts and lines, control and high bytes, an odd
# caption. It stays within the screen, shows a clean title, and answers.
. "$(dirname "$0")/lib.sh"
need_display

read -r sw sh < <(xdotool getdisplaygeometry)
python3 - "$work" <<'PY'
import os, random, sys
work = sys.argv[1]
random.seed(7)
texts = {
    "lines": "\n".join(str(i) for i in range(200000)),
    "one-line": "x" * 300000,
    "words": "word " * 100000,
    "bytes": bytes(random.randrange(256) for _ in range(1 << 20)),
    "controls": "Line:1\r\nTab\there\x01\x07\x1b[31m\x7f\x80\x9f and Latin-1 \xe9\xff\rend\n",
}
for name, text in texts.items():
    data = text if isinstance(text, bytes) else text.encode("latin-1")
    open(os.path.join(work, name + ".txt"), "wb").write(data)
PY

caption=$'Odd\x01caption \xe9'
for name in lines one-line words bytes controls; do
  start "$name" "$BRINE_SHOW_BOX" "$caption" "$work/$name.txt"
  window_of box "$pid" '^Odd\?caption '
  wait_focus "$box"
  geometry "$box"
  [ "$gw" -le $((sw * 3 / 4)) ] && [ "$gh" -le $((sh * 3 / 4)) ] || fail "$name: box of $gw x $gh on $sw x $sh"
  [ "$gx" -ge 0 ] && [ "$gy" -ge 0 ] || fail "$name: box off the screen at ($gx, $gy)"
  xprop -id "$box" _NET_WM_NAME | grep -Fqx "_NET_WM_NAME(UTF8_STRING) = \"Odd?caption é\"" ||
    fail "$name: title $(xprop -id "$box" _NET_WM_NAME)"
  xdotool key n
  wait_exit "$pid" 20
  [ "$rc" = 0 ] && [ "$(cat "$work/$name.out")" = No ] || fail "$name: exit code $rc, answer $(cat "$work/$name.out")"
  echo "$name: $gw x $gh"
done

# An OK box answers OK to Escape, and to its close button.
printf 'Out of memory' >"$work/short.txt"
start ok "$BRINE_SHOW_BOX" 'Critical Error #2' "$work/short.txt" ok
window_of box "$pid" '^Critical Error #2$'
wait_focus "$box"
"$BRINE_WM_CLOSE" "$box"
wait_exit "$pid" 20
[ "$(cat "$work/ok.out")" = OK ] || fail "the close of an OK box answered $(cat "$work/ok.out")"
