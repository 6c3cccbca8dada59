# mapped.awk: from `xev -root -event substructure`, the size (width height) of every window of
# the root as it is mapped, and every new size a mapped one takes, one a line.
/^[A-Za-z]+ event/ { kind = $1; next }
/^ .* window 0x/ && kind ~ /^(Create|Configure|Map|Unmap)Notify$/ {
  match($0, / window 0x[0-9a-f]+/)
  w = substr($0, RSTART + 8, RLENGTH - 8)
  if (kind == "MapNotify") { shown[w] = 1; print size[w] }
  if (kind == "UnmapNotify") shown[w] = 0
  if (match($0, /width [0-9]+, height [0-9]+/)) {
    s = substr($0, RSTART + 6, RLENGTH - 6)
    sub(/, height /, " ", s)
    if (shown[w] && s != size[w]) print s
    size[w] = s
  }
}
