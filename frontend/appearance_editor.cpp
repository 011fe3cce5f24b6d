#include "frontend/appearance_editor.h"

#include <algorithm>

#include "core/colours.h"

namespace {

constexpr THsb Presets[NamedColourCount] = {{0, 255, 0},     {0, 255, 255},    {128, 255, 255},
                                            {255, 255, 255}, {512, 255, 128},  {512, 255, 255},
                                            {767, 255, 255}, {1023, 255, 255}, {1279, 255, 255},
                                            {0, 0, 512},     {0, 0, 255}};

} // namespace

int SaturationAt(int y, int h) {
    return h > 0 ? RoundEven((1 - double(y) / h) * 255) : 0;
}

int BrightnessAt(int y, int h) {
    return h > 0 ? RoundEven((1 - double(y) / h) * 511) : 0;
}

int HueAt(int x, int w) {
    return w > 0 ? RoundEven(double(x) / w * 1536) : 0;
}

int SaturationMarkerRow(int saturation, int h) {
    return RoundEven(h - h * saturation / 255.0);
}

int BrightnessMarkerRow(int brightness, int h) {
    return RoundEven(h - h * brightness / 511.0);
}

int HueMarkerColumn(int hue, int w) {
    return RoundEven(w * hue / 1536.0);
}

TRgb HueStripColour(int x, int w) {
    return HsbToRgb({HueAt(x, w), 255, 255});
}

TImage PaintLevelBox(TColourBox box, const THsb& colour1, const THsb& colour2) {
    const int w = LevelBoxWidth, h = LevelBoxHeight;
    TImage pic(w, h);
    const bool saturation = box == boxSaturation;
    const THsb* colours[2] = {&colour1, &colour2};
    for (int half = 0; half < 2; ++half) {
        const THsb& c = *colours[half];
        const int marker = saturation ? SaturationMarkerRow(c.Saturation, h)
                                      : BrightnessMarkerRow(c.Brightness, h);
        for (int y = 0; y < h; ++y) {
            THsb row = c;
            if (saturation)
                row.Saturation = RoundEven(double(h - y) / h * 255);
            else
                row.Brightness = RoundEven(double(h - y) / h * 511);
            const TRgb rgb =
                y == marker - 1 || y == marker + 1 ? TRgb{255, 255, 255} : HsbToRgb(row);
            for (int x = half * w / 2; x < (half + 1) * w / 2; ++x)
                pic.Set(x, y, Rgb(rgb.R, rgb.G, rgb.B));
        }
    }
    return pic;
}

TImage PaintHueBox(const THsb& colour1, const THsb& colour2) {
    const int w = HueBoxWidth, h = HueBoxHeight;
    TImage pic(w, h);
    const int m1 = HueMarkerColumn(colour1.Hue, w), m2 = HueMarkerColumn(colour2.Hue, w);
    for (int x = 0; x < w; ++x) {
        const TRgb rgb = HueStripColour(x, w);
        for (int y = 0; y < h; ++y) {
            const int m = y < h / 2 ? m1 : m2;
            const bool white = x == m - 1 || x == m + 1;
            pic.Set(x, y, white ? Rgb(255, 255, 255) : Rgb(rgb.R, rgb.G, rgb.B));
        }
    }
    return pic;
}

THsb NamedColourPreset(int index) {
    return index >= 0 && index < NamedColourCount ? Presets[index] : Presets[0];
}

TTankSetup* TAppearanceEditor::Edited() {
    const int k = Form.EditedSetup;
    return k >= 0 && k < MaxTanks ? &Form.G.Start.TankSetups[k] : nullptr;
}

void TAppearanceEditor::SetValue(int x, int y, bool clamp) {
    TTankSetup* s = Edited();
    if (!s) return;
    THsb& c = Which == 0 ? s->Colour1 : s->Colour2;
    switch (Box) {
    case boxSaturation:
        c.Saturation = SaturationAt(y, LevelBoxHeight);
        if (clamp) c.Saturation = std::clamp(c.Saturation, 0, MaxBoxSaturation);
        break;
    case boxBrightness:
        c.Brightness = BrightnessAt(y, LevelBoxHeight);
        if (clamp) c.Brightness = std::clamp(c.Brightness, 0, MaxBoxBrightness);
        break;
    case boxHue:
        c.Hue = HueAt(x, HueBoxWidth);
        if (clamp) c.Hue = std::clamp(c.Hue, 0, MaxBoxHue);
        break;
    }
    DragEdited = true;
}

void TAppearanceEditor::BoxMouseDown(TColourBox box, int x, int y) {
    if (!Edited()) return;
    // Only places inside the box start anything.
    if (x < 0 || y < 0 || x >= (box == boxHue ? HueBoxWidth : LevelBoxWidth) ||
        y >= (box == boxHue ? HueBoxHeight : LevelBoxHeight))
        return;
    Box = box;
    Which = box == boxHue ? (y < HueBoxHeight / 2 ? 0 : 1) : (x < LevelBoxWidth / 2 ? 0 : 1);
    LastAlong = box == boxHue ? x : y;
    Drag = true;
    DragEdited = false;
    SetValue(x, y, true);
}

void TAppearanceEditor::MouseMove(int x, int y) {
    if (!Drag) return;
    const int along = Box == boxHue ? x : y;
    if (along == LastAlong) return;
    LastAlong = along;
    SetValue(x, y, true);
}

void TAppearanceEditor::MouseUp() {
    if (!Drag) return;
    Drag = false;
    if (DragEdited) {
        if (TTankSetup* s = Edited()) s->Changed = true;
    }
    DragEdited = false;
    Repaint();
}

void TAppearanceEditor::ColourSelectChange(int index) {
    index %= NamedColourCount;
    if (index < 0) index += NamedColourCount;
    Form.ColourSelect = index;
    if (Form.Showing) return;
    TTankSetup* s = Edited();
    if (!s) return;
    s->Colour1 = NamedColourPreset(index);
    s->Changed = true;
    Repaint();
}

void TAppearanceEditor::RandomClick() {
    TTankSetup* s = Edited();
    if (!s) return;
    Random& rng = Form.G.Rng;
    for (THsb* c : {&s->Colour1, &s->Colour2}) {
        c->Hue = rng.Int(1536);
        c->Saturation = rng.Int(256);
        c->Brightness = 64 + rng.Int(448);
    }
    s->Pattern = rng.Int(8) - 1;
    constexpr int32_t sorts[] = {sortTank, sortHovercraft, sortHummer};
    s->Sort = sorts[rng.Int(3)];
    s->Changed = true;
    s->Name = Form.NameBox;
    Form.ShowSetup(Form.EditedSetup);
    Repaint();
}

void TAppearanceEditor::Repaint() {
    if (Drag) return;
    if (TTankSetup* s = Edited()) {
        BoxColour1 = s->Colour1;
        BoxColour2 = s->Colour2;
    }
    ButtonLooks[0] = Form.G.Start.TankSetups[0];
    ButtonLooks[1] = Form.G.Start.TankSetups[1];
}
