#!/usr/bin/env python3
"""Writes data/default settings.dat (347 lines, CR LF) and data/keysettings.dat.

The committed files are the data; this script is how they were put together.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "..", "data")

# Named-colour presets (hue, saturation, brightness).
RED, ORANGE, YELLOW = (0, 255, 255), (128, 255, 255), (255, 255, 255)
GREEN, LIME, CYAN = (512, 255, 128), (512, 255, 255), (767, 255, 255)
BLUE, PURPLE, WHITE, GREY, BLACK = (1023, 255, 255), (1279, 255, 255), (0, 0, 512), (0, 0, 255), (0, 255, 0)
# Bots take the team colours in turn, so Team War with a handful of bots
# gives a few even teams rather than one team per bot.
TEAM_ORDER = [BLUE, LIME, YELLOW, RED, ORANGE, CYAN, PURPLE, WHITE, GREY, GREEN, BLACK]

BOT_NAMES = [
    "Rusty", "Moo Tang", "Clank", "Sgt. Haybale", "Turret Syndrome", "Bessie", "Major Mayhem", "Crater Maker",
    "Tread Lightly", "Old Smokey", "Gearbox", "Captain Udder", "Diesel Dan", "Hover Lovelace", "Muddy Waters",
    "Big Wheel", "Sir Skidsalot", "Rocket Rita", "Mine Sweeper", "Lord Lawnmower", "Pothole", "Tin Can",
    "Grumbles", "Buttercup", "Blitz Krieger", "Dr. Drift", "Haymaker", "The Baron", "Rumble Bee", "Skid Row",
    "Nitro Nell", "Clatter", "Moorland Max", "Flak Jack", "Cowabunga", "Turbo Terrier", "Rivet", "Lady Longbarrel",
    "Sputnik", "Boom Boom", "Dusty", "Wobbly Bob", "Spanner", "Farmer Fury", "Pudding", "Sparky", "Iron Ivy",
    "General Grumpy", "Bumper", "Trundle", "Cheddar", "Overdrive", "Hazard", "Slippy Pete", "Barnstormer",
    "Krakatoa", "Thistle", "Sprocket", "Mustang Moo", "Knuckles", "Rattletrap", "Bogwalker",
]
assert len(BOT_NAMES) == 62 and len(set(BOT_NAMES)) == 62

TAUNTS = [
    # player 1
    "Moo-ve over!", "That was udderly predictable.", "Nice wreck. Very modern art.", "Tread carefully next time!",
    # player 2
    "Hovering with intent!", "You have been herded.", "Beep beep, coming through!", "Better luck next respawn.",
    # bots
    "I learned that from a cow.", "Beep boop. You lose.", "My path finder found you.", "Calculated. Mostly.",
]


def colour(c):
    return "%d %d %d" % c


def second_colour(k):
    # Varied but cheerful second colours: hue steps round the wheel.
    return ((k * 389 + 200) % 1536, 160 + (k * 37) % 96, 200 + (k * 53) % 200)


def main():
    lines = [
        "0",    # Fullscreen
        "0",    # Screen sync
        "0",    # No shadows
        "1",    # Player 2 left side of screen
        "1",    # Cycle levels
        "2",    # 1024x768
        "2",    # 32 bits
        "20",   # server rate
        "1",    # Tank indicators
        "0",    # Show names
        "100",  # armour %
        "5",    # bots
        "50",   # frag limit
        "5",    # cow limit
        "30",   # bot taunt chance %
    ]
    lines += TAUNTS
    setups = [("Player 1", 0, -1, RED, YELLOW), ("Player 2", 5, -1, BLUE, WHITE)]
    for k, name in enumerate(BOT_NAMES):
        sort = (0, 5, 10)[k % 3]
        pattern = [-1, 0, 2, 5, 1, 6, 3, -1, 4][k % 9]
        setups.append((name, sort, pattern, TEAM_ORDER[k % len(TEAM_ORDER)], second_colour(k)))
    for name, sort, pattern, c1, c2 in setups:
        lines += [name, str(sort), str(pattern), colour(c1), colour(c2)]
    assert len(lines) == 347
    with open(os.path.join(DATA, "default settings.dat"), "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))
    with open(os.path.join(DATA, "keysettings.dat"), "w", newline="") as f:
        f.write("38 40 37 39 17 16 188 190 220 8 13\r\n69 68 83 70 90 65 87 82 67 81 88")


if __name__ == "__main__":
    main()
