// Statuses of a busy match as a host would send them, one every 50 ms:
// vehicles that drive and turn, bullets that fly straight, die (the pool
// moves its last bullet into the hole) and are fired anew, missiles that
// steer; each status with its roster generation after the message.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "net/messages.h"
#include "net/status.h"

class MovingStatus {
  public:
    explicit MovingStatus(unsigned seed, int vehicles = 64, int bullets = 100, int missiles = 10)
        : Rng(seed), Bullets(bullets) {
        for (int i = 0; i < vehicles; ++i)
            M.Vehicles.push_back(
                {Real(100, 2500), Real(100, 1900), Real(-3, 3), Real(-3, 3), 100, 100});
        for (int i = 0; i < missiles; ++i) {
            M.Homing.push_back({Real(0, 2500), Real(0, 2000), Real(-3, 3), float(i)});
            M.Guided.push_back({Real(0, 2500), Real(0, 2000), Real(-3, 3), -1});
        }
        M.Stamp = 40000;
        while (static_cast<int>(M.Bullets.size()) < Bullets)
            Fire();
    }

    // The next status, 50 ms on.
    TBlock Next() {
        M.Stamp += 50;
        for (TVehicleStatus& v : M.Vehicles) {
            v.Heading += Real(-0.15f, 0.15f);
            v.X += 0.15f * 50 * std::cos(v.Heading);
            v.Y += 0.15f * 50 * std::sin(v.Heading);
            v.TurretAngle += Real(-0.05f, 0.05f);
            if (Rng() % 40 == 0) v.Health -= 10;
            v.ReloadPercent = static_cast<float>(Rng() % 5 == 0 ? 0 : 100);
        }
        for (auto* list : {&M.Homing, &M.Guided})
            for (TMissileStatus& m : *list) {
                m.Angle += Real(-0.1f, 0.1f);
                m.X += 5 * std::cos(m.Angle);
                m.Y += 5 * std::sin(m.Angle);
            }
        for (size_t k = 0; k < M.Bullets.size();)
            if (Rng() % 8 == 0) {
                M.Bullets[k] = M.Bullets.back();
                M.Bullets.pop_back();
            } else {
                TBulletStatus& b = M.Bullets[k++];
                b.X = static_cast<float>(b.X + static_cast<double>(b.Vx) * 50);
                b.Y = static_cast<float>(b.Y + static_cast<double>(b.Vy) * 50);
            }
        while (static_cast<int>(M.Bullets.size()) < Bullets)
            Fire();
        TBlock block = EncodeStatus(M);
        AppendRosterGeneration(block, 0xC0FFEEu);
        return block;
    }

    TStatusMsg M;

  private:
    float Real(float a, float b) { return std::uniform_real_distribution<float>(a, b)(Rng); }
    void Fire() {
        const TVehicleStatus& v = M.Vehicles[Rng() % M.Vehicles.size()];
        const float a = v.Heading + v.TurretAngle;
        M.Bullets.push_back({v.X, v.Y, 0.8f * std::cos(a), 0.8f * std::sin(a)});
    }
    std::mt19937 Rng;
    int Bullets;
};
