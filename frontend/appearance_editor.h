// The appearance editor of the start screen: the three colour boxes and
// their dragging, the named-colour chooser and "Random". It edits the set-up
// the start screen shows; the pictures (preview, boxes, start buttons) are
// drawn by the program from what is here.
#pragma once

#include <array>

#include "core/game.h"
#include "core/image.h"
#include "frontend/start_form.h"

// The colour boxes, in pixels: saturation and brightness stand upright,
// Colour1 in the left half and Colour2 in the right; the hue strip lies
// flat, Colour1's marker in its upper half and Colour2's in the lower.
enum TColourBox { boxSaturation, boxBrightness, boxHue };
constexpr int LevelBoxWidth = 16, LevelBoxHeight = 89;
constexpr int HueBoxWidth = 152, HueBoxHeight = 16;
constexpr int PreviewWidth = 89, PreviewHeight = 73;
constexpr int MaxBoxHue = 1536; // reachable by dragging: no hue at all
constexpr int MaxBoxSaturation = 255;
constexpr int MaxBoxBrightness = 511;

// A box's value at a place along it (row y of h counted from the top, or
// column x of w), not clamped.
int SaturationAt(int y, int h);
int BrightnessAt(int y, int h);
int HueAt(int x, int w);
// Where a box marks a value: the row, or the column, with the markers'
// white lines just before and after it.
int SaturationMarkerRow(int saturation, int h);
int BrightnessMarkerRow(int brightness, int h);
int HueMarkerColumn(int hue, int w);
// Column x of the hue strip.
TRgb HueStripColour(int x, int w);

// The boxes' pictures for the two colours: each row of the saturation
// (or brightness) box in its own saturation (brightness), Colour1 left,
// Colour2 right; the hue strip's columns at full saturation and
// brightness. White lines either side of each colour's marker.
TImage PaintLevelBox(TColourBox box, const THsb& colour1, const THsb& colour2);
TImage PaintHueBox(const THsb& colour1, const THsb& colour2);

// The triple the chooser puts into Colour1 for a named colour (0..10);
// Black for anything else.
THsb NamedColourPreset(int index);

class TAppearanceEditor {
  public:
    explicit TAppearanceEditor(TStartForm& form) : Form(form) {}

    // A button went down at (x, y) inside a box (relative to its corner):
    // the half chooses the colour, the place its value, and dragging starts.
    void BoxMouseDown(TColourBox box, int x, int y);
    // The mouse moved to (x, y), relative to the box the drag began in, with
    // a button held; values are kept inside their ranges.
    void MouseMove(int x, int y);
    // A button came up anywhere: dragging ends and the boxes and pictures
    // catch up. An edited colour marks the set-up Changed, wherever the
    // button was let go.
    void MouseUp();
    bool Dragging() const { return Drag; }

    // The chooser moved to index (wrapping round 0..10): the first colour
    // takes its preset.
    void ColourSelectChange(int index);
    // A random look for the edited set-up; the name box's text is kept.
    void RandomClick();

    // The colour boxes and the start buttons' pictures follow the table,
    // except while a box is being dragged (then only the preview follows).
    void Repaint();
    // What the boxes show, and player 1's and player 2's looks on the start
    // buttons, as of the last repaint.
    THsb BoxColour1, BoxColour2;
    std::array<TTankSetup, 2> ButtonLooks;

  private:
    TTankSetup* Edited();
    void SetValue(int x, int y, bool clamp);

    TStartForm& Form;
    bool Drag = false;
    bool DragEdited = false;
    TColourBox Box = boxSaturation;
    int Which = 0; // 0 Colour1, 1 Colour2
    int LastAlong = -1;
};
