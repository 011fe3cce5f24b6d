// What the game draws on: the window's back buffer, an off-screen view for
// the second player, or a test surface. Coordinates are surface pixels with
// y down; rectangles leave out their right and bottom edge; colours are
// 0x00BBGGRR; angles are 1/256 of a turn, clockwise on screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/image.h"

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

enum class TPenStyle { Solid, Dotted, Clear };
struct TPen {
    int32_t Colour = 0;
    int Width = 1; // 1 or 2
    TPenStyle Style = TPenStyle::Solid;
};

enum class TBrushStyle { Solid, Clear };
struct TBrush {
    int32_t Colour = 0xFFFFFF;
    TBrushStyle Style = TBrushStyle::Solid;
};

struct TFont {
    int Size = 8; // points; the tiny sizes are raised to stay legible
    bool Bold = false;
    int32_t Colour = 0;
    int32_t Background = -1; // -1: clear background
};

// One pixel of a batch, and one line of a batch.
struct TPixel {
    int X = 0, Y = 0;
    int32_t Colour = 0;
};
struct TSegment {
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

enum class TBlend {
    Plain,    // transparent colour left out, everything else opaque
    Alpha,    // mixed with what lies below by Alpha/255
    Additive, // Alpha/255 of the picture added to what lies below
};

class ICanvas {
  public:
    virtual ~ICanvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    virtual void Fill(int32_t colour) = 0;
    virtual void FillRect(const TRect& r, int32_t colour) = 0;

    // Picture index of list with its top-left corner at (x, y).
    virtual void Draw(const TImageList& list, int index, int x, int y) = 0;
    virtual void DrawStretched(const TImageList& list, int index, const TRect& dst) = 0;
    // Picture scaled to w x h and turned by angle about the point (cx, cy),
    // given as fractions of w and h; that point lands on (x, y).
    virtual void DrawRotated(const TImageList& list, int index, int x, int y, int w, int h,
                             double cx, double cy, int angle, TBlend blend = TBlend::Plain,
                             int alpha = 255) = 0;
    void DrawRotated(const TImageList& list, int index, int x, int y, double cx, double cy,
                     int angle, TBlend blend = TBlend::Plain, int alpha = 255) {
        DrawRotated(list, index, x, y, list.Width(index), list.Height(index), cx, cy, angle, blend,
                    alpha);
    }

    virtual void SetPixel(int x, int y, int32_t colour) = 0;
    // From (x1, y1) up to but not including (x2, y2).
    virtual void Line(int x1, int y1, int x2, int y2, const TPen& pen) = 0;
    // Many pixels or lines at once: a frame has thousands of each, and a
    // canvas can send them to the screen together.
    virtual void Pixels(const TPixel* p, int n) {
        for (int i = 0; i < n; ++i)
            SetPixel(p[i].X, p[i].Y, p[i].Colour);
    }
    virtual void Lines(const TSegment* s, int n, const TPen& pen) {
        for (int i = 0; i < n; ++i)
            Line(s[i].X1, s[i].Y1, s[i].X2, s[i].Y2, pen);
    }
    virtual void Ellipse(const TRect& box, const TPen& pen, const TBrush& brush) = 0;
    virtual void Rectangle(const TRect& r, const TPen& pen, const TBrush& brush) = 0;

    // (x, y) is the top-left corner of the text's box.
    virtual void TextOut(int x, int y, const std::string& text, const TFont& font) = 0;
    virtual int TextWidth(const std::string& text, const TFont& font) = 0;
    virtual int TextHeight(const std::string& text, const TFont& font) = 0;

    // An off-screen surface drawn like this one and copied onto it with
    // CopyFrom. It lives as long as the display it came from.
    virtual std::unique_ptr<ICanvas> CreateSurface(int width, int height) = 0;
    virtual void CopyFrom(ICanvas& surface, const TRect& src, int x, int y) = 0;

    // Uploads a whole list now rather than at first use (after building it
    // or after a mode change), so the first frame does not stutter.
    virtual void Upload(const TImageList& list) = 0;

    // The picture drawn so far (before Present on a window).
    virtual bool ReadPixels(TImage& out) = 0;
};
