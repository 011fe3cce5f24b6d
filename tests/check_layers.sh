#!/usr/bin/env bash
# Only platform/ and app/ may talk to SDL, ENet or ImGui: no other folder
# includes them, and core/ and world/ are compiled without their headers on
# the include path at all.
root="$1"
build="$2"
status=0
bad=$(grep -rlE '#\s*include\s*[<"](SDL|enet/|imgui)' \
        "$root/core" "$root/world" "$root/net" "$root/render" "$root/frontend" 2>/dev/null)
if [ -n "$bad" ]; then
  echo "SDL, ENet or ImGui included outside platform/ and app/:"
  echo "$bad"
  status=1
fi
db="$build/compile_commands.json"
if [ -f "$db" ]; then
  leaks=$(python3 - "$db" "$root" <<'PY'
import json, sys
db, root = sys.argv[1], sys.argv[2].rstrip('/')
for e in json.load(open(db)):
    f = e["file"]
    if f.startswith(root + "/core/") or f.startswith(root + "/world/"):
        cmd = e.get("command") or " ".join(e.get("arguments", []))
        if any(w in cmd for w in ("SDL2", "enet", "imgui")):
            print(f)
PY
)
  if [ -n "$leaks" ]; then
    echo "core/ or world/ compiled with SDL, ENet or ImGui on the include path:"
    echo "$leaks"
    status=1
  fi
fi
[ $status -eq 0 ] && echo "layers clean"
exit $status
