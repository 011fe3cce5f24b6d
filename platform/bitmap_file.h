// Picture files: BMP in (sprites, textures, explosions), PNG or BMP out
// (screenshots and the rendering tests' frames).
#pragma once

#include <string>

#include "core/image.h"

class SdlBitmapReader : public BitmapReader {
  public:
    std::string ReadBitmap(const std::string& path, TImage& out) override;
};

// Saves as BMP when the name ends in ".bmp" (any case), else as PNG.
bool SaveImageFile(const TImage& image, const std::string& path, std::string* error = nullptr);
