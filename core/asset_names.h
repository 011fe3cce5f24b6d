// The game's picture and sound lists: names in list order, sprite sizes.
// The asset generator and the loaders both read from here.
#pragma once

#include <array>
#include <string_view>

struct TSpriteInfo {
    std::string_view Name;
    int Width;    // along the vehicle's length
    int Height;   // across it
    bool Fuchsia; // transparent colour is fuchsia instead of black
};

constexpr int SpriteCount = 31;

constexpr std::array<TSpriteInfo, SpriteCount> SpriteList = {{
    {"Tank", 40, 25, false},
    {"TankTurret", 53, 21, false},
    {"TankShadow", 40, 25, false},
    {"TankTurretShadow", 53, 5, false},
    {"TankWreck", 40, 25, false},
    {"Hovercraft", 45, 30, false},
    {"HoverTurret", 25, 9, false},
    {"HoverShadow", 45, 30, false},
    {"HoverTurretShadow", 25, 9, false},
    {"HoverWreck", 45, 30, false},
    {"Hummer", 42, 20, false},
    {"HummerTurret", 13, 22, false},
    {"HummerShadow", 42, 20, false},
    {"HummerTurretShadow", 13, 22, false},
    {"HummerWreck", 42, 20, false},
    {"Rocket", 24, 2, false},
    {"Missile", 24, 5, false},
    {"Guided missile", 24, 5, false},
    {"Mine", 10, 10, false},
    {"SnowMine", 10, 10, false},
    {"WaterMine", 10, 10, false},
    {"wp_bullets", 40, 20, true},
    {"wp_rail", 40, 20, true},
    {"wp_cluster", 40, 20, true},
    {"wp_rocket", 40, 20, true},
    {"wp_missile", 40, 20, true},
    {"wp_guided", 40, 20, true},
    {"wp_bfg", 40, 20, true},
    {"Cow", 36, 12, true},
    {"CowShadow", 36, 12, true},
    {"AlarmLight", 32, 32, false},
}};

enum TSpriteIndex : int {
    spTank = 0,
    spHovercraft = 5,
    spHummer = 10,
    spRocket = 15,
    spMissile = 16,
    spGuidedMissile = 17,
    spMine = 18,
    spSnowMine = 19,
    spWaterMine = 20,
    spWeaponIcons = 21,
    spCow = 28,
    spCowShadow = 29,
    spAlarmLight = 30,
};

// Paint-pattern masks, seven per sort in the pattern box's order: set
// pixels take a vehicle's first colour, clear ones its second.
constexpr int PaintMaskCount = 21;

constexpr std::array<std::string_view, PaintMaskCount> PaintMaskList = {
    "TankStripes",    "TankTwoStripes", "TankCamo",        "TankTribal",       "TankSides",
    "TankTiger",      "TankFire",       "HoverTwoStripes", "HoverTwoStripes2", "HoverCamo",
    "HoverTribal",    "HoverSides",     "HoverTiger",      "HoverFire",        "HummerStripes",
    "HummerStripes2", "HummerCamo",     "HummerTribal",    "HummerSides",      "HummerTiger",
    "HummerFire",
};

constexpr int SoundCountInList = 18;

constexpr std::array<std::string_view, SoundCountInList> SoundList = {
    "Diesel",        "Small Explosion", "Explosion",   "Railgun",
    "Bullet impact", "Fire Bullet",     "HoverEngine", "HummerEngine",
    "Double Kill",   "Multi Kill",      "Ultra Kill",  "Monster Kill",
    "Horn",          "Fire BFG",        "Blow BFG",    "Self Destruct",
    "Moo",           "Alarm",
};

enum TSoundIndex : int {
    sndDiesel = 0,
    sndSmallExplosion = 1,
    sndExplosion = 2,
    sndRailgun = 3,
    sndBulletImpact = 4,
    sndFireBullet = 5,
    sndHoverEngine = 6,
    sndHummerEngine = 7,
    sndDoubleKill = 8,
    sndMultiKill = 9,
    sndUltraKill = 10,
    sndMonsterKill = 11,
    sndHorn = 12,
    sndFireBfg = 13,
    sndBlowBfg = 14,
    sndSelfDestruct = 15,
    sndMoo = 16,
    sndAlarm = 17,
};

// Sounds that loop: the three engines and the horn.
constexpr bool SoundLoops(int sound) {
    return sound == sndDiesel || sound == sndHoverEngine || sound == sndHummerEngine ||
           sound == sndHorn;
}
