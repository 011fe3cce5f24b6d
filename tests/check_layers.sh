#!/usr/bin/env bash
# Fails when a folder other than platform/ or app/ includes SDL or ENet.
root="$1"
bad=$(grep -rlE '#\s*include\s*[<"](SDL|enet/|imgui)' \
        "$root/core" "$root/world" "$root/net" "$root/render" "$root/frontend" 2>/dev/null \
      | grep -v '^$')
# render/ and frontend/ reach the screen through platform interfaces only.
if [ -n "$bad" ]; then
  echo "SDL, ENet or ImGui included outside platform/ and app/:"
  echo "$bad"
  exit 1
fi
echo "layers clean"
