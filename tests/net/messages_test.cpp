// Every message type against bytes written out by hand from the wire
// tables: the encoder must produce them and the decoder read them back.
#include <gtest/gtest.h>

#include <initializer_list>

#include "net/messages.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Byte lists and little-endian words, written out by hand.
struct B {
    Bytes V;
    B& operator()(std::initializer_list<int> bytes) {
        for (int b : bytes)
            V.push_back(static_cast<uint8_t>(b));
        return *this;
    }
    // A 32-bit word (also a float given by its bit pattern).
    B& W(uint32_t w) {
        return (*this)({int(w & 255), int(w >> 8 & 255), int(w >> 16 & 255), int(w >> 24)});
    }
    B& Text(const std::string& s) {
        V.insert(V.end(), s.begin(), s.end());
        return *this;
    }
};

constexpr uint32_t One = 0x3F800000, Two = 0x40000000, Half = 0x3F000000, MinusOne = 0xBF800000,
                   Three = 0x40400000, Hundred = 0x42C80000;

} // namespace

TEST(Wire, EveryTypeMatchesItsHandWrittenBytes) {
    // 0: set-up of a Team War on "Arena", frag limit 25, server id 2.
    const Bytes setup = B()({0, 0, 0, 0, 25, 0, 1, 1, 100, 0, 1, 0})
                            .W(1000)
                            .W(2)({0xEF, 0xBE, 5})
                            .Text("Arena")({0})
                            .V;
    TSetupMsg s{25, 1, 1, 100, 1, 1000, 2, 0xBEEF, "Arena"};
    EXPECT_EQ(EncodeSetup(s), setup);
    TSetupMsg s2;
    size_t expected = 0;
    ASSERT_TRUE(DecodeSetup(setup.data(), setup.size(), s2, expected));
    EXPECT_EQ(s2.MapName, "Arena");
    EXPECT_EQ(s2.ServerTime, 1000);
    EXPECT_EQ(s2.MapChecksum, 0xBEEF);
    EXPECT_EQ(s2.FragLimit, 25);
    EXPECT_EQ(EncodeSetup(s2), setup);

    // 1: a map of two columns, one row; two unused bytes at the end.
    const Bytes map = B().W(1)({2, 1, 0x02, 0x01, 0x04, 0x03, 0, 0}).V;
    EXPECT_EQ(EncodeMap({2, 1, {0x0102, 0x0304}}), map);
    TMapMsg m;
    ASSERT_TRUE(DecodeMap(map.data(), map.size(), m, expected));
    EXPECT_EQ(m.Cells, (std::vector<uint16_t>{0x0102, 0x0304}));

    // 3: seat 1 releases fire: 4 + 64 + 128.
    const Bytes control = B().W(3)({196, 0, 0, 0}).V;
    EXPECT_EQ(EncodeControl({4, 1, true}), control);
    TControlMsg c;
    ASSERT_TRUE(DecodeControl(control.data(), control.size(), c));
    EXPECT_EQ(c.Action, 4);
    EXPECT_EQ(c.Seat, 1);
    EXPECT_TRUE(c.Released);

    // 4: one vehicle, no homing missile, one guided, one bullet, no cows.
    const Bytes status = B().W(4)({1, 0, 1, 0, 1, 0, 0, 0})
                             .W(500)
                             .W(One)
                             .W(Two)
                             .W(Half)
                             .W(MinusOne)
                             .W(Hundred)
                             .W(Hundred)
                             .W(Two)
                             .W(One)
                             .W(Half)
                             .W(0)
                             .W(Three)
                             .W(Two)
                             .W(Half)
                             .W(MinusOne)
                             .W(0)
                             .V;
    ASSERT_EQ(status.size(), 20u + 4 * (6 + 4 + 4));
    TStatusMsg st;
    st.Stamp = 500;
    st.Vehicles = {{1, 2, 0.5f, -1, 100, 100}};
    st.Guided = {{2, 1, 0.5f, 0}};
    st.Bullets = {{3, 2, 0.5f, -1}};
    EXPECT_EQ(EncodeStatus(st), status);
    TStatusMsg st2;
    ASSERT_TRUE(DecodeStatus(status.data(), status.size(), st2, expected));
    EXPECT_EQ(st2.Guided.at(0).X, 2);
    EXPECT_EQ(st2.Bullets.at(0).Vy, -1);
    EXPECT_EQ(EncodeStatus(st2), status);

    // 5: two vehicles and one team (no cows): signed 16-bit values.
    const Bytes score =
        B().W(5)({2, 1, 3, 0, 0xFE, 0xFF, 0, 0, 1, 0, 4, 0, 3, 0, 0xFF, 0xFF, 0, 0}).V;
    TScoreMsg sc{{{3, -2}, {0, 1}}, {{4, 0, 3, -1}}};
    EXPECT_EQ(EncodeScore(sc, false), score);
    TScoreMsg sc2;
    ASSERT_TRUE(DecodeScore(score.data(), score.size(), false, sc2, expected));
    EXPECT_EQ(sc2.Tanks.at(0).Deaths, -2);
    EXPECT_EQ(sc2.Teams.at(0).Deaths, -1);
    // The same bytes read as Capture The Cow scores do not fit.
    EXPECT_FALSE(DecodeScore(score.data(), score.size(), true, sc2, expected));
    EXPECT_EQ(expected, 8u + 2 * (4 + 4));
    EXPECT_EQ(SizeErrorText("Msgsize error(C_sl): ", score.size(), expected, true),
              "Msgsize error(C_sl): 22iso24");

    // 6: vehicle 3's machine gun stops; four trailing bytes.
    const Bytes event = B().W(6)({11, 0, 0, 0}).W(Three).W(MinusOne).W(0).V;
    EXPECT_EQ(EncodeEvent({evGunSound, {3, -1}}), event);
    TEventMsg ev;
    ASSERT_TRUE(DecodeEvent(event.data(), event.size(), ev));
    EXPECT_EQ(ev.Values, (std::vector<float>{3, -1}));

    EXPECT_EQ(EncodeMapReq(), B().W(7).W(0).V);
    EXPECT_EQ(EncodeKill(), B().W(10).W(0).V);
    const Bytes ping = B().W(9).W(300).V;
    EXPECT_EQ(EncodePing(300), ping);
    int32_t t = 0;
    ASSERT_TRUE(DecodePing(ping.data(), ping.size(), t));
    EXPECT_EQ(t, 300);

    // 11: a chat line of vehicle 2.
    const Bytes text = B().W(11)({66, 2}).Text("gg")({0, 0}).V;
    EXPECT_EQ(EncodeText({66, "gg"}), text);
    TTextMsg tx;
    ASSERT_TRUE(DecodeText(text.data(), text.size(), tx));
    EXPECT_EQ(tx.Kind, 66);
    EXPECT_EQ(tx.Text, "gg");

    const Bytes order = B().W(13)({3, 2, 1, 0}).V;
    EXPECT_EQ(EncodeOrder({3, 2, 1}), order);
    TOrderMsg o;
    ASSERT_TRUE(DecodeOrder(order.data(), order.size(), o));
    EXPECT_EQ(o.Mate, 3);
    EXPECT_EQ(o.From, 1);

    const Bytes look = B().W(14)({2, 255, 0, 0, 0, 255, 0, 255}).V;
    EXPECT_EQ(EncodeAppearance({2, {255, 0, 0}, {0, 255, 0}, 255}), look);
    TAppearanceMsg a;
    ASSERT_TRUE(DecodeAppearance(look.data(), look.size(), a));
    EXPECT_EQ(a.Second, (TRgb{0, 255, 0}));
}

TEST(Wire, VehicleListsCutNamesAndCheckTheirSize) {
    // Two entries: 8 + 2 * 32 + 32 = 104 bytes.
    B list;
    list.W(8)({2, 0, 0, 0});
    list.Text("Annabelle_Smithe").W(5)({255, 0, 0, 0, 128, 255, 255, 2, 5, 0, 0, 0});
    list.Text("Bob             ").W(0)({0, 0, 255, 9, 9, 9, 3, 1, 10, 1, 0, 0});
    list.V.resize(104, 0);
    std::vector<TTankEntry> entries(2);
    entries[0].Name = "Annabelle_Smithers_X"; // 20 characters travel as 16
    entries[0].PlayerId = 5;
    entries[0].Body = {255, 0, 0};
    entries[0].Second = {0, 128, 255};
    entries[0].PaintJob = 255;
    entries[0].Weapon = 2;
    entries[0].Sort = 5;
    entries[1].Name = "Bob";
    entries[1].Body = {0, 0, 255};
    entries[1].Second = {9, 9, 9};
    entries[1].PaintJob = 3;
    entries[1].Weapon = 1;
    entries[1].Sort = 10;
    entries[1].IsBot = 1;
    EXPECT_EQ(EncodeTanklist(entries), list.V);

    std::vector<TTankEntry> back;
    size_t expected = 0;
    ASSERT_TRUE(DecodeTanklist(list.V.data(), list.V.size(), back, expected));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].Name, "Annabelle_Smithe");
    EXPECT_EQ(back[1].Name, "Bob"); // stops before the blanks
    EXPECT_EQ(back[1].IsBot, 1);
    EXPECT_EQ(back[0].Second, (TRgb{0, 128, 255}));

    // The same list cut to 72 bytes: refused, with the size it should have.
    EXPECT_FALSE(DecodeTanklist(list.V.data(), 72, back, expected));
    EXPECT_EQ(SizeErrorText("Msgsize error(C_tl): ", 72, expected),
              "Msgsize error(C_tl): 72ieo104");
    // A name whose first character is a blank keeps it.
    list.V[8] = ' ';
    ASSERT_TRUE(DecodeTanklist(list.V.data(), list.V.size(), back, expected));
    EXPECT_EQ(back[0].Name, " nnabelle_Smithe");
}

TEST(Wire, LargestMessagesAndWrongSizes) {
    // A 255 x 255 map travels whole.
    TMapMsg big{255, 255, std::vector<uint16_t>(255 * 255, 7)};
    const TBlock map = EncodeMap(big);
    EXPECT_EQ(map.size(), 8u + 2 * 255 * 255);
    TMapMsg back;
    size_t expected = 0;
    ASSERT_TRUE(DecodeMap(map.data(), map.size(), back, expected));
    EXPECT_EQ(back.Cells.back(), 7);
    EXPECT_FALSE(DecodeMap(map.data(), map.size() - 1, back, expected));
    EXPECT_EQ(expected, map.size());

    // A status with 300 bullets carries all 300.
    TStatusMsg st;
    st.Bullets.resize(300, {1, 2, 3, 4});
    const TBlock status = EncodeStatus(st);
    TStatusMsg st2;
    ASSERT_TRUE(DecodeStatus(status.data(), status.size(), st2, expected));
    EXPECT_EQ(st2.Bullets.size(), 300u);
    // 256 missiles of a kind would wrap the one-byte count: the sender stops at 255.
    st.Homing.resize(256);
    const TBlock capped = EncodeStatus(st);
    ASSERT_TRUE(DecodeStatus(capped.data(), capped.size(), st2, expected));
    EXPECT_EQ(st2.Homing.size(), 255u);

    // Set-up whose name length does not fit the block.
    TBlock setup = EncodeSetup({10, 0, 0, 50, 0, 0, 1, 0, "Moor"});
    setup.pop_back();
    TSetupMsg s;
    EXPECT_FALSE(DecodeSetup(setup.data(), setup.size(), s, expected));
    EXPECT_EQ(SizeErrorText("Msgsize error(C_setup): ", setup.size(), expected),
              "Msgsize error(C_setup): 27ieo28");
    // Blocks too short for their fields, and a text longer than its block.
    const uint8_t tiny[3] = {3, 0, 0};
    uint32_t type = 0;
    EXPECT_FALSE(BlockType(tiny, 3, type));
    TEventMsg ev;
    EXPECT_FALSE(DecodeEvent(tiny, 3, ev));
    const TBlock text = B().W(11)({255, 200}).Text("short").V;
    TTextMsg tx;
    EXPECT_FALSE(DecodeText(text.data(), text.size(), tx));
    // Scores beyond 16 bits stick at the ends.
    EXPECT_EQ(Clamp16(40000), 32767);
    EXPECT_EQ(Clamp16(-40000), -32768);
}
