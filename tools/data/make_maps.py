#!/usr/bin/env python3
"""Writes the shipped levels into data/: every *.map and Credits.dat.

The committed files are the data; this script is how they were laid out.
Run it from anywhere: python3 tools/data/make_maps.py
Cell code = texture index * 4 + rotation; the indices follow
data/TextureList.txt.
"""
import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "..", "data")

TEXTURES = [line.split()[0] for line in open(os.path.join(DATA, "TextureList.txt")) if line.strip()]
T = {name: i for i, name in enumerate(TEXTURES)}
WALLS = {"Brick", "Rock", "SnowRock", "Metal"}


class Map:
    def __init__(self, w, h, ground="Grass", seed=1):
        self.w, self.h = w, h
        self.rng = random.Random(seed)
        self.cells = [[(ground, 0) for _ in range(w)] for _ in range(h)]

    def inside(self, x, y):
        return 0 <= x < self.w and 0 <= y < self.h

    def set(self, x, y, tex, rot=0):
        if self.inside(x, y):
            self.cells[y][x] = (tex, rot)

    def get(self, x, y):
        return self.cells[y][x][0]

    def rect(self, x0, y0, x1, y1, tex, rot=0):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, tex, rot)

    def frame(self, x0, y0, x1, y1, tex):
        for x in range(x0, x1 + 1):
            self.set(x, y0, tex)
            self.set(x, y1, tex)
        for y in range(y0, y1 + 1):
            self.set(x0, y, tex)
            self.set(x1, y, tex)

    def blob(self, cx, cy, rx, ry, tex, rough=0.25, only=None):
        """A ragged ellipse; `only` limits it to cells of those textures."""
        for y in range(int(cy - ry - 2), int(cy + ry + 3)):
            for x in range(int(cx - rx - 2), int(cx + rx + 3)):
                if not self.inside(x, y):
                    continue
                d = math.hypot((x - cx) / rx, (y - cy) / ry)
                if d < 1 + rough * (self.rng.random() - 0.5) * 2 and (only is None or self.get(x, y) in only):
                    self.set(x, y, tex)

    def road_x(self, y, x0, x1):
        for x in range(x0, x1 + 1):
            self.set(x, y, "Road", 0)

    def road_y(self, x, y0, y1):
        for y in range(y0, y1 + 1):
            self.set(x, y, "Road", 1)

    def speckle(self, tex, into, chance):
        """Sprinkles a variant over some ground (grass with meadow patches)."""
        for y in range(self.h):
            for x in range(self.w):
                if self.get(x, y) == into and self.rng.random() < chance:
                    self.set(x, y, tex)

    def spawn(self, x, y):
        """A spawn pad facing the middle of the map (rotation 0 faces right,
        1 up, 2 left, 3 down)."""
        dx, dy = self.w / 2 - x, -(self.h / 2 - y)
        rot = (0 if dx > 0 else 2) if abs(dx) >= abs(dy) else (1 if dy > 0 else 3)
        self.set(x, y, "Spawn", rot)

    def base(self, x, y, spawns):
        """A base with spawn pads around it."""
        self.set(x, y, "Base")
        for sx, sy in spawns:
            self.spawn(x + sx, y + sy)

    def write(self, name):
        rows = [" ".join(str(T[t] * 4 + r) for t, r in row) for row in self.cells]
        with open(os.path.join(DATA, name), "w", newline="") as f:
            f.write("\r\n".join(rows))


def green_acres():
    # An open field: a pond, a snowy hill, a lane and a few hedges of rock.
    m = Map(40, 30, "Grass", 11)
    m.speckle("Meadow", "Grass", 0.18)
    m.blob(12, 9, 6, 4, "Water", 0.2)
    m.blob(12, 9, 7.5, 5.5, "Sand", 0.15, only={"Grass", "Meadow"})
    m.blob(30, 21, 6, 5, "Snow", 0.3)
    m.blob(31, 21, 2.5, 2, "Ice", 0.2)
    m.blob(22, 6, 3, 2, "Dirt", 0.4)
    m.blob(8, 24, 3, 2, "Mud", 0.3)
    m.road_x(15, 0, 39)
    m.road_y(22, 0, 14)
    m.set(22, 15, "Tarmac")
    for x, y in [(30, 6), (31, 6), (32, 7), (5, 17), (6, 17), (18, 24), (18, 25), (26, 12)]:
        m.set(x, y, "Rock")
    for x, y in [(3, 3), (36, 3), (3, 27), (36, 27), (20, 11), (20, 19), (10, 15), (30, 15), (26, 26), (14, 2)]:
        m.spawn(x, y)
    m.write("Green Acres.map")


def the_pit():
    # A tight brick arena with pillars: nowhere to hide.
    m = Map(14, 12, "Concrete", 12)
    m.frame(0, 0, 13, 11, "Brick")
    for x, y in [(4, 3), (9, 3), (4, 8), (9, 8)]:
        m.set(x, y, "Metal")
    m.rect(6, 5, 7, 6, "Tarmac")
    for x, y in [(1, 1), (12, 1), (1, 10), (12, 10), (6, 2), (7, 9)]:
        m.spawn(x, y)
    m.write("The Pit.map")


def labyrinth():
    # A walled maze: bots need their path finder here.
    cw, ch = 15, 12
    m = Map(cw * 2 + 1, ch * 2 + 1, "Rock", 13)
    rng = random.Random(1313)
    seen = {(0, 0)}
    stack = [(0, 0)]
    while stack:
        x, y = stack[-1]
        options = [(x + dx, y + dy, dx, dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))
                   if 0 <= x + dx < cw and 0 <= y + dy < ch and (x + dx, y + dy) not in seen]
        if not options:
            stack.pop()
            continue
        nx, ny, dx, dy = rng.choice(options)
        m.set(2 * x + 1 + dx, 2 * y + 1 + dy, "Dirt")
        m.set(2 * nx + 1, 2 * ny + 1, "Dirt")
        m.set(2 * x + 1, 2 * y + 1, "Dirt")
        seen.add((nx, ny))
        stack.append((nx, ny))
    # A few extra openings so there is more than one way round.
    for _ in range(14):
        x, y = rng.randrange(1, m.w - 1), rng.randrange(1, m.h - 1)
        if (x + y) % 2 == 1 and m.get(x, y) == "Rock":
            m.set(x, y, "Dirt")
    m.rect(13, 10, 17, 14, "Concrete")
    m.speckle("Mud", "Dirt", 0.06)
    for x, y in [(1, 1), (29, 1), (1, 23), (29, 23), (15, 12), (15, 1), (15, 23), (1, 11), (29, 13)]:
        m.spawn(x, y)
    m.write("Labyrinth.map")


def frostbite():
    # Deep winter: more snow than anything, a frozen lake, icy rocks.
    m = Map(36, 28, "Snow", 14)
    m.blob(18, 14, 8, 5, "Ice", 0.2)
    m.blob(18, 14, 3, 2, "Water", 0.3)
    for cx, cy in [(6, 6), (29, 7), (7, 22), (28, 21)]:
        m.blob(cx, cy, 2.2, 1.6, "SnowRock", 0.3)
    m.blob(31, 14, 2, 4, "Dirt", 0.4)
    m.blob(4, 14, 2, 3, "Grass", 0.4)
    m.frame(0, 0, 35, 27, "SnowRock")
    for x, y in [(2, 2), (33, 2), (2, 25), (33, 25), (18, 3), (18, 24), (10, 14), (26, 14)]:
        m.spawn(x, y)
    m.write("Frostbite.map")


def dust_bowl():
    # A desert with no spawn pads at all: the game picks random start cells.
    m = Map(30, 24, "Sand", 15)
    m.blob(8, 8, 5, 3, "Dirt", 0.4)
    m.blob(22, 16, 6, 4, "Dirt", 0.4)
    m.blob(22, 6, 2, 1.5, "Mud", 0.3)
    for cx, cy in [(15, 11), (5, 18), (25, 4)]:
        m.blob(cx, cy, 1.6, 1.2, "Rock", 0.3)
    m.road_y(12, 0, 23)
    m.write("Dust Bowl.map")


def two_farms():
    # Two farms either side of a river, three crossings: two bases.
    m = Map(44, 24, "Grass", 16)
    m.speckle("Meadow", "Grass", 0.2)
    for y in range(m.h):
        cx = 22 + round(2.5 * math.sin(y * 0.45))
        for x in range(cx - 2, cx + 2):
            m.set(x, y, "Water")
        m.set(cx - 3, y, "Sand")
        m.set(cx + 2, y, "Sand")
    for y in (4, 12, 20):
        m.road_x(y, 14, 30)
    m.rect(3, 9, 9, 15, "Dirt")
    m.rect(34, 9, 40, 15, "Dirt")
    m.frame(2, 8, 10, 16, "Brick")
    m.frame(33, 8, 41, 16, "Brick")
    for y in (11, 12, 13):
        m.set(10, y, "Dirt")
        m.set(33, y, "Dirt")
    m.base(6, 12, [(-2, -2), (2, -2), (-2, 2), (2, 2)])
    m.base(37, 12, [(-2, -2), (2, -2), (-2, 2), (2, 2)])
    for x, y in [(16, 2), (28, 22), (16, 22), (28, 2)]:
        m.spawn(x, y)
    m.write("Two Farms.map")


def crossroads():
    # Four farms, one in each corner, joined by two roads: for four teams.
    m = Map(40, 40, "Grass", 17)
    m.speckle("Meadow", "Grass", 0.15)
    m.road_x(19, 0, 39)
    m.road_x(20, 0, 39)
    m.road_y(19, 0, 39)
    m.road_y(20, 0, 39)
    m.rect(18, 18, 21, 21, "Tarmac")
    m.blob(10, 30, 4, 3, "Water", 0.25)
    m.blob(30, 10, 4, 3, "Mud", 0.3)
    m.blob(30, 30, 4, 3, "Snow", 0.3)
    m.blob(10, 10, 4, 3, "Sand", 0.3)
    corners = [(5, 5), (34, 5), (5, 34), (34, 34)]
    for bx, by in corners:
        m.frame(bx - 3, by - 3, bx + 3, by + 3, "Brick")
        for k in (-1, 0, 1):
            m.set(bx + (3 if bx < 20 else -3), by + k, "Dirt")
            m.set(bx + k, by + (3 if by < 20 else -3), "Dirt")
        m.rect(bx - 2, by - 2, bx + 2, by + 2, "Dirt")
        m.base(bx, by, [(-1, -1), (1, -1), (-1, 1), (1, 1)])
    for x, y in [(14, 14), (25, 14), (14, 25), (25, 25)]:
        m.set(x, y, "Rock")
    m.write("Crossroads.map")


def mudworks():
    # A flooded works yard: mud, concrete, metal sheds, two bases.
    m = Map(48, 32, "Mud", 18)
    m.blob(24, 16, 12, 8, "Concrete", 0.15)
    m.rect(0, 15, 47, 16, "Tarmac")
    m.blob(10, 6, 4, 2.5, "Water", 0.3)
    m.blob(38, 26, 4, 2.5, "Water", 0.3)
    for x0, y0 in [(16, 8), (28, 8), (16, 20), (28, 20)]:
        m.rect(x0, y0, x0 + 3, y0 + 2, "Metal")
    m.rect(4, 22, 9, 27, "Concrete")
    m.rect(38, 4, 43, 9, "Concrete")
    m.frame(0, 0, 47, 31, "Metal")
    m.base(6, 25, [(-1, -2), (2, -2), (2, 1), (-1, 1)])
    m.base(41, 6, [(-2, -1), (1, -1), (1, 2), (-2, 2)])
    for x, y in [(24, 3), (24, 28), (12, 15), (35, 16), (24, 12)]:
        m.spawn(x, y)
    m.write("Mudworks.map")


def grand_moor():
    # A big, varied moor for many bots: three bases far apart.
    m = Map(64, 48, "Grass", 19)
    rng = m.rng
    m.speckle("Meadow", "Grass", 0.2)
    for _ in range(10):
        m.blob(rng.uniform(4, 60), rng.uniform(4, 44), rng.uniform(2, 5), rng.uniform(2, 4), "Dirt", 0.4)
    for _ in range(6):
        m.blob(rng.uniform(4, 60), rng.uniform(4, 44), rng.uniform(2, 4), rng.uniform(1.5, 3), "Mud", 0.35)
    m.blob(32, 24, 7, 5, "Water", 0.25)
    m.blob(50, 38, 6, 5, "Snow", 0.3)
    m.blob(12, 38, 5, 4, "Sand", 0.3)
    for _ in range(16):
        m.blob(rng.uniform(3, 61), rng.uniform(3, 45), rng.uniform(0.8, 2), rng.uniform(0.8, 1.6), "Rock", 0.3)
    m.road_x(8, 0, 63)
    m.road_y(44, 0, 47)
    bases = [(6, 6), (58, 6), (32, 42)]
    for bx, by in bases:
        m.rect(bx - 2, by - 2, bx + 2, by + 2, "Concrete")
        m.base(bx, by, [(-2, -2), (2, -2), (-2, 2), (2, 2)])
    for x, y in [(20, 20), (44, 20), (20, 30), (44, 30), (32, 14), (8, 26), (56, 26)]:
        m.spawn(x, y)
    m.write("Grand Moor.map")


def credits_field():
    # The credits show: dark tarmac under the text so the green letters
    # read, a grass border, spawn pads for the twenty bots.
    m = Map(24, 16, "Grass", 20)
    m.speckle("Meadow", "Grass", 0.2)
    m.rect(2, 0, 21, 13, "Tarmac")
    m.road_x(14, 0, 23)
    for x in range(2, 22, 2):
        m.spawn(x, 15)
    for y in range(1, 15, 3):
        m.spawn(0, y)
        m.spawn(23, y)
    m.write("Credits.dat")


if __name__ == "__main__":
    for make in (green_acres, the_pit, labyrinth, frostbite, dust_bowl, two_farms, crossroads, mudworks, grand_moor,
                 credits_field):
        make()
