#!/usr/bin/env bash
# Includes point down, never up. Each folder may include the folders in its
# row and nothing else of ours; only platform/ and app/ may include SDL,
# ENet or ImGui; and the layers under the program are compiled without
# those headers on the include path at all.
#   check_layers.sh SOURCE_DIR [BUILD_DIR]
root="$1"
build="${2:-}"
status=0

declare -A allowed=(
  [core]="core"
  [world]="core world"
  [sim]="core world sim"
  [net]="core world sim net"
  [match]="core world sim net match"
  [render]="core world sim net match render"
  [frontend]="core world sim net match render frontend"
  [platform]="core world net render platform"
  [app]="core world sim net match render frontend platform app"
)
ours="core world sim net match render frontend platform app"

for folder in "${!allowed[@]}"; do
  [ -d "$root/$folder" ] || continue
  while IFS= read -r line; do
    file="${line%%:*}"
    target=$(echo "$line" | sed -E 's/.*#\s*include\s*"([a-z_]+)\/.*/\1/')
    case " $ours " in *" $target "*) ;; *) continue ;; esac
    case " ${allowed[$folder]} " in
      *" $target "*) ;;
      *) echo "${file#$root/}: $folder/ may not include $target/ (${line#*:})"; status=1 ;;
    esac
  done < <(grep -HE '^\s*#\s*include\s*"[a-z_]+/' "$root/$folder"/*.h "$root/$folder"/*.cpp 2>/dev/null)
done

bad=$(grep -lE '#\s*include\s*[<"](SDL|enet/|imgui)' \
        "$root"/{core,world,sim,net,match,render,frontend}/*.{h,cpp} 2>/dev/null)
if [ -n "$bad" ]; then
  echo "SDL, ENet or ImGui included outside platform/ and app/:"
  echo "$bad"
  status=1
fi

db="$build/compile_commands.json"
if [ -n "$build" ] && [ -f "$db" ]; then
  leaks=$(python3 - "$db" "$root" <<'PY'
import json, sys
db, root = sys.argv[1], sys.argv[2].rstrip('/')
pure = tuple(root + "/" + d + "/" for d in ("core", "world", "sim", "net", "match"))
for e in json.load(open(db)):
    f = e["file"]
    if f.startswith(pure):
        cmd = e.get("command") or " ".join(e.get("arguments", []))
        if any(w in cmd for w in ("SDL2", "enet", "imgui")):
            print(f)
PY
)
  if [ -n "$leaks" ]; then
    echo "compiled with SDL, ENet or ImGui on the include path:"
    echo "$leaks"
    status=1
  fi
fi
[ $status -eq 0 ] && echo "layers clean"
exit $status
