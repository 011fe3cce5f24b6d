#include "net/messages.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr size_t NameBytes = 16;
constexpr size_t EntryBytes = 32;

class Writer {
  public:
    explicit Writer(TBlock& out) : Out(out) {}
    void U8(uint32_t v) { Out.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v);
        U16(v >> 16);
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v) { U32(std::bit_cast<uint32_t>(v)); }
    void Rgb(const TRgb& c) {
        U8(c.R);
        U8(c.G);
        U8(c.B);
    }
    void Zeros(size_t k) { Out.insert(Out.end(), k, 0); }
    void Bytes(const std::string& s, size_t k) {
        Out.insert(Out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(k));
    }

  private:
    TBlock& Out;
};

// Reads at fixed offsets; the callers check the size before.
uint32_t U8(const uint8_t* d, size_t at) {
    return d[at];
}
uint32_t U16(const uint8_t* d, size_t at) {
    return d[at] | (d[at + 1] << 8);
}
uint32_t U32(const uint8_t* d, size_t at) {
    return U16(d, at) | (U16(d, at + 2) << 16);
}
int16_t I16(const uint8_t* d, size_t at) {
    return static_cast<int16_t>(U16(d, at));
}
float F32(const uint8_t* d, size_t at) {
    return std::bit_cast<float>(U32(d, at));
}
TRgb Rgb(const uint8_t* d, size_t at) {
    return {d[at], d[at + 1], d[at + 2]};
}

void Header(Writer& w, uint32_t type) {
    w.U32(type);
}

size_t StatusSize(size_t n, size_t r, size_t g, size_t b, size_t t) {
    return 20 + 4 * (6 * n + 4 * r + 4 * g + 4 * b + 5 * t);
}

template <class T> size_t Capped(const std::vector<T>& v, size_t limit) {
    return std::min(v.size(), limit);
}

} // namespace

bool BlockType(const uint8_t* data, size_t size, uint32_t& type) {
    if (size < 4) return false;
    type = U32(data, 0);
    return true;
}

TBlock EncodeSetup(const TSetupMsg& m) {
    TBlock out;
    Writer w(out);
    const size_t len = std::min<size_t>(m.MapName.size(), 255);
    Header(w, MsgSetup);
    w.U16(m.FragLimit);
    w.U8(m.Style);
    w.U8(m.UseBases);
    w.U16(m.ArmourLight);
    w.U8(m.TankIndicators);
    w.U8(0);
    w.I32(m.ServerTime);
    w.U32(m.ServerId);
    w.U16(m.MapChecksum);
    w.U8(static_cast<uint32_t>(len));
    w.Bytes(m.MapName, len);
    w.U8(0);
    return out;
}

bool DecodeSetup(const uint8_t* d, size_t n, TSetupMsg& m, size_t& expected) {
    expected = 0;
    if (n < 23) return false;
    const size_t len = U8(d, 22);
    expected = 24 + len;
    if (n != expected) return false;
    m.FragLimit = static_cast<uint16_t>(U16(d, 4));
    m.Style = static_cast<uint8_t>(U8(d, 6));
    m.UseBases = static_cast<uint8_t>(U8(d, 7));
    m.ArmourLight = static_cast<uint16_t>(U16(d, 8));
    m.TankIndicators = static_cast<uint8_t>(U8(d, 10));
    m.ServerTime = static_cast<int32_t>(U32(d, 12));
    m.ServerId = U32(d, 16);
    m.MapChecksum = static_cast<uint16_t>(U16(d, 20));
    m.MapName.assign(reinterpret_cast<const char*>(d + 23), len);
    return true;
}

TBlock EncodeMap(const TMapMsg& m) {
    TBlock out;
    out.reserve(8 + 2 * m.Cells.size());
    Writer w(out);
    Header(w, MsgMap);
    w.U8(m.Width);
    w.U8(m.Height);
    const size_t cells = static_cast<size_t>(m.Width) * m.Height;
    for (size_t i = 0; i < cells; ++i)
        w.U16(i < m.Cells.size() ? m.Cells[i] : 0);
    w.Zeros(2);
    return out;
}

bool DecodeMap(const uint8_t* d, size_t n, TMapMsg& m, size_t& expected) {
    expected = 0;
    if (n < 6) return false;
    m.Width = static_cast<uint8_t>(U8(d, 4));
    m.Height = static_cast<uint8_t>(U8(d, 5));
    const size_t cells = static_cast<size_t>(m.Width) * m.Height;
    expected = 8 + 2 * cells;
    if (n != expected) return false;
    m.Cells.resize(cells);
    for (size_t i = 0; i < cells; ++i)
        m.Cells[i] = static_cast<uint16_t>(U16(d, 6 + 2 * i));
    return true;
}

TBlock EncodeControl(const TControlMsg& m) {
    TBlock out;
    Writer w(out);
    Header(w, MsgControl);
    w.U8((m.Action & 63u) + 64u * (m.Seat & 1u) + (m.Released ? 128u : 0u));
    w.Zeros(3);
    return out;
}

bool DecodeControl(const uint8_t* d, size_t n, TControlMsg& m) {
    if (n < 5) return false;
    const uint32_t code = U8(d, 4);
    m.Action = static_cast<uint8_t>(code & 63);
    m.Seat = static_cast<uint8_t>((code >> 6) & 1);
    m.Released = (code & 128) != 0;
    return true;
}

void EncodeStatus(const TStatusMsg& m, TBlock& out) {
    const size_t n = Capped(m.Vehicles, 255), r = Capped(m.Homing, 255), g = Capped(m.Guided, 255),
                 b = Capped(m.Bullets, 65535), t = Capped(m.Cows, 255);
    out.clear();
    out.reserve(StatusSize(n, r, g, b, t));
    Writer w(out);
    Header(w, MsgStatus);
    w.U8(static_cast<uint32_t>(n));
    w.U8(static_cast<uint32_t>(r));
    w.U8(static_cast<uint32_t>(g));
    w.U8(0);
    w.U16(static_cast<uint32_t>(b));
    w.U8(static_cast<uint32_t>(t));
    w.U8(0);
    w.I32(m.Stamp);
    for (size_t i = 0; i < n; ++i) {
        const TVehicleStatus& v = m.Vehicles[i];
        for (float f : {v.X, v.Y, v.Heading, v.TurretAngle, v.Health, v.ReloadPercent})
            w.F32(f);
    }
    for (const auto* list : {&m.Homing, &m.Guided}) {
        const size_t k = Capped(*list, 255);
        for (size_t i = 0; i < k; ++i) {
            const TMissileStatus& s = (*list)[i];
            for (float f : {s.X, s.Y, s.Angle, s.Who})
                w.F32(f);
        }
    }
    for (size_t i = 0; i < b; ++i) {
        const TBulletStatus& s = m.Bullets[i];
        for (float f : {s.X, s.Y, s.Vx, s.Vy})
            w.F32(f);
    }
    for (size_t i = 0; i < t; ++i) {
        const TCowStatus& c = m.Cows[i];
        for (float f : {c.Colour, c.State, c.X, c.Y, c.Heading})
            w.F32(f);
    }
    w.Zeros(4);
}

TBlock EncodeStatus(const TStatusMsg& m) {
    TBlock out;
    EncodeStatus(m, out);
    return out;
}

bool DecodeStatus(const uint8_t* d, size_t n, TStatusMsg& m, size_t& expected) {
    expected = 0;
    if (n < 16) return false;
    const size_t nv = U8(d, 4), r = U8(d, 5), g = U8(d, 6), b = U16(d, 8), t = U8(d, 10);
    expected = StatusSize(nv, r, g, b, t);
    if (n != expected) return false;
    m.Stamp = static_cast<int32_t>(U32(d, 12));
    size_t at = 16;
    auto next = [&] {
        const float f = F32(d, at);
        at += 4;
        return f;
    };
    m.Vehicles.resize(nv);
    for (TVehicleStatus& v : m.Vehicles) {
        v.X = next();
        v.Y = next();
        v.Heading = next();
        v.TurretAngle = next();
        v.Health = next();
        v.ReloadPercent = next();
    }
    m.Homing.resize(r);
    m.Guided.resize(g);
    for (auto* list : {&m.Homing, &m.Guided})
        for (TMissileStatus& s : *list) {
            s.X = next();
            s.Y = next();
            s.Angle = next();
            s.Who = next();
        }
    m.Bullets.resize(b);
    for (TBulletStatus& s : m.Bullets) {
        s.X = next();
        s.Y = next();
        s.Vx = next();
        s.Vy = next();
    }
    m.Cows.resize(t);
    for (TCowStatus& c : m.Cows) {
        c.Colour = next();
        c.State = next();
        c.X = next();
        c.Y = next();
        c.Heading = next();
    }
    return true;
}

int16_t Clamp16(int32_t v) {
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

TBlock EncodeScore(const TScoreMsg& m, bool captureTheCow) {
    const size_t n = Capped(m.Tanks, 255), t = Capped(m.Teams, 255);
    TBlock out;
    Writer w(out);
    Header(w, MsgScore);
    w.U8(static_cast<uint32_t>(n));
    w.U8(static_cast<uint32_t>(t));
    for (size_t i = 0; i < n; ++i) {
        w.U16(static_cast<uint16_t>(m.Tanks[i].Frags));
        w.U16(static_cast<uint16_t>(m.Tanks[i].Deaths));
    }
    for (size_t i = 0; i < t; ++i) {
        const TTeamScoreMsg& s = m.Teams[i];
        w.U16(static_cast<uint16_t>(s.Colour));
        if (captureTheCow) w.U16(static_cast<uint16_t>(s.Cows));
        w.U16(static_cast<uint16_t>(s.Frags));
        w.U16(static_cast<uint16_t>(s.Deaths));
    }
    w.Zeros(2);
    return out;
}

bool DecodeScore(const uint8_t* d, size_t n, bool captureTheCow, TScoreMsg& m, size_t& expected) {
    expected = 0;
    if (n < 6) return false;
    const size_t nv = U8(d, 4), t = U8(d, 5);
    const size_t perTeam = captureTheCow ? 4 : 3;
    expected = 8 + 2 * (2 * nv + perTeam * t);
    if (n != expected) return false;
    size_t at = 6;
    auto next = [&] {
        const int16_t v = I16(d, at);
        at += 2;
        return v;
    };
    m.Tanks.resize(nv);
    for (TTankScoreMsg& s : m.Tanks) {
        s.Frags = next();
        s.Deaths = next();
    }
    m.Teams.resize(t);
    for (TTeamScoreMsg& s : m.Teams) {
        s.Colour = next();
        s.Cows = captureTheCow ? next() : 0;
        s.Frags = next();
        s.Deaths = next();
    }
    return true;
}

TBlock EncodeEvent(const TEventMsg& m) {
    TBlock out;
    out.reserve(12 + 4 * m.Values.size());
    Writer w(out);
    Header(w, MsgEvent);
    w.U8(m.Code);
    w.Zeros(3);
    for (float f : m.Values)
        w.F32(f);
    w.Zeros(4);
    return out;
}

bool DecodeEvent(const uint8_t* d, size_t n, TEventMsg& m) {
    if (n < 12) return false;
    m.Code = static_cast<uint8_t>(U8(d, 4));
    const size_t k = (n - 12) / 4;
    m.Values.resize(k);
    for (size_t i = 0; i < k; ++i)
        m.Values[i] = F32(d, 8 + 4 * i);
    return true;
}

TBlock EncodeMapReq() {
    TBlock out;
    Writer w(out);
    Header(w, MsgMapReq);
    w.Zeros(4);
    return out;
}

TBlock EncodeKill() {
    TBlock out;
    Writer w(out);
    Header(w, MsgKill);
    w.Zeros(4);
    return out;
}

TBlock EncodeTanklist(const std::vector<TTankEntry>& entries) {
    const size_t n = Capped(entries, 255);
    TBlock out;
    out.reserve(40 + EntryBytes * n);
    Writer w(out);
    Header(w, MsgTanklist);
    w.U8(static_cast<uint32_t>(n));
    w.Zeros(3);
    for (size_t i = 0; i < n; ++i) {
        const TTankEntry& e = entries[i];
        const size_t len = std::min(e.Name.size(), NameBytes);
        w.Bytes(e.Name, len);
        for (size_t k = len; k < NameBytes; ++k)
            w.U8(' ');
        w.U32(e.PlayerId);
        w.Rgb(e.Body);
        w.Rgb(e.Second);
        w.U8(e.PaintJob);
        w.U8(e.Weapon);
        w.U8(e.Sort);
        w.U8(e.IsBot);
        w.Zeros(2);
    }
    w.Zeros(EntryBytes);
    return out;
}

bool DecodeTanklist(const uint8_t* d, size_t n, std::vector<TTankEntry>& entries,
                    size_t& expected) {
    expected = 0;
    if (n < 5) return false;
    const size_t count = U8(d, 4);
    expected = 40 + EntryBytes * count;
    if (n != expected) return false;
    entries.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 8 + EntryBytes * i;
        TTankEntry& e = entries[i];
        // The first character always counts; the name ends before the
        // first blank after it.
        e.Name.assign(1, static_cast<char>(d[at]));
        for (size_t k = 1; k < NameBytes && d[at + k] != ' '; ++k)
            e.Name.push_back(static_cast<char>(d[at + k]));
        e.PlayerId = U32(d, at + 16);
        e.Body = Rgb(d, at + 20);
        e.Second = Rgb(d, at + 23);
        e.PaintJob = static_cast<uint8_t>(U8(d, at + 26));
        e.Weapon = static_cast<uint8_t>(U8(d, at + 27));
        e.Sort = static_cast<uint8_t>(U8(d, at + 28));
        e.IsBot = static_cast<uint8_t>(U8(d, at + 29));
    }
    return true;
}

TBlock EncodePing(int32_t gameTime) {
    TBlock out;
    Writer w(out);
    Header(w, MsgPing);
    w.I32(gameTime);
    return out;
}

bool DecodePing(const uint8_t* d, size_t n, int32_t& gameTime) {
    if (n < 8) return false;
    gameTime = static_cast<int32_t>(U32(d, 4));
    return true;
}

TBlock EncodeText(const TTextMsg& m) {
    const size_t len = std::min<size_t>(m.Text.size(), 255);
    TBlock out;
    Writer w(out);
    Header(w, MsgText);
    w.U8(m.Kind);
    w.U8(static_cast<uint32_t>(len));
    w.Bytes(m.Text, len);
    w.Zeros(2);
    return out;
}

bool DecodeText(const uint8_t* d, size_t n, TTextMsg& m) {
    if (n < 6) return false;
    const size_t len = U8(d, 5);
    if (n < 6 + len) return false;
    m.Kind = static_cast<uint8_t>(U8(d, 4));
    m.Text.assign(reinterpret_cast<const char*>(d + 6), len);
    return true;
}

TBlock EncodeOrder(const TOrderMsg& m) {
    TBlock out;
    Writer w(out);
    Header(w, MsgOrder);
    w.U8(m.Mate);
    w.U8(m.Order);
    w.U8(m.From);
    w.U8(0);
    return out;
}

bool DecodeOrder(const uint8_t* d, size_t n, TOrderMsg& m) {
    if (n < 7) return false;
    m.Mate = static_cast<uint8_t>(U8(d, 4));
    m.Order = static_cast<uint8_t>(U8(d, 5));
    m.From = static_cast<uint8_t>(U8(d, 6));
    return true;
}

TBlock EncodeAppearance(const TAppearanceMsg& m) {
    TBlock out;
    Writer w(out);
    Header(w, MsgAppearance);
    w.U8(m.Tank);
    w.Rgb(m.Body);
    w.Rgb(m.Second);
    w.U8(m.PaintJob);
    return out;
}

bool DecodeAppearance(const uint8_t* d, size_t n, TAppearanceMsg& m) {
    if (n < 12) return false;
    m.Tank = static_cast<uint8_t>(U8(d, 4));
    m.Body = Rgb(d, 5);
    m.Second = Rgb(d, 8);
    m.PaintJob = static_cast<uint8_t>(U8(d, 11));
    return true;
}

std::string SizeErrorText(const std::string& label, size_t size, size_t expected, bool score) {
    return label + std::to_string(size) + (score ? "iso" : "ieo") + std::to_string(expected);
}
