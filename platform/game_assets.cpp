#include "platform/game_assets.h"

#include "core/asset_names.h"
#include "platform/sound_device.h"

bool LoadGameSprites(BitmapReader& reader, const std::string& folder, TImageList& list, Ui& ui) {
    list.Clear();
    for (const TSpriteInfo& info : SpriteList) {
        const std::string name(info.Name);
        TImage image;
        std::string error = reader.ReadBitmap(folder + name + ".bmp", image);
        if (!error.empty()) {
            ui.MessageBox(error);
            return false;
        }
        list.Add(std::move(image), name, info.Fuchsia ? clFuchsia : clBlack);
    }
    return true;
}

bool LoadPatternMasks(BitmapReader& reader, const std::string& folder, TImageList& list, Ui& ui) {
    list.Clear();
    for (std::string_view n : PaintMaskList) {
        const std::string name(n);
        TImage image;
        std::string error = reader.ReadBitmap(folder + name + ".bmp", image);
        if (!error.empty()) {
            ui.MessageBox(error);
            return false;
        }
        list.Add(std::move(image), name, NoTransparency);
    }
    return true;
}

bool LoadGameSounds(const std::string& folder, TMixer& mixer, Ui& ui) {
    mixer.Clear();
    for (int i = 0; i < SoundCountInList; ++i) {
        const std::string name(SoundList[i]);
        TWave wave;
        std::string error = LoadWaveFile(folder + name + ".wav", wave);
        if (!error.empty()) {
            ui.MessageBox(error);
            return false;
        }
        mixer.Add(name, std::move(wave), SoundLoops(i));
    }
    return true;
}
