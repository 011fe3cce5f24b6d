#include "app/start_screen.h"

#include "app/replay.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/version.h"
#include "core/colours.h"
#include "platform/keys.h"

namespace {

// A caption at the start of a row; the control after it fills the rest.
void RowLabel(const char* caption, float width, ImU32 colour) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(caption);
    ImGui::PopStyleColor();
    ImGui::SameLine(width);
    ImGui::SetNextItemWidth(-1);
}

// A panel of the screen: no title, frame or remembered place of its own.
constexpr ImGuiWindowFlags FixedPanel =
    ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings;

// Panels and their places on the 661 x 480 screen.
constexpr float Margin = 16;
const ImVec2 PlayerPos{Margin, 74}, PlayerSize{306, 324};
const ImVec2 MatchPos{336, 74}, MatchSize{309, 324};
// The start buttons in a row along the bottom, each as wide as its
// pictures, with a caption under them.
const ImVec2 StartPos{Margin, 404};
constexpr float StartHeight = 70;
constexpr float StartGap = 6;
constexpr float PicturePad = 4;
constexpr int StartSquares[4] = {1, 2, 2, 3};
constexpr const char* StartCaptions[4] = {"Play", "Split screen", "Network", "Split network"};

float StartWidth(int k) {
    return StartSquares[k] * float(ButtonPictureSize) + 2 * PicturePad;
}

float StartX(int k) {
    float x = StartPos.x;
    for (int i = 0; i < k; ++i)
        x += StartWidth(i) + StartGap;
    return x;
}

ImVec4 Vec(double r, double g, double b, double a = 1) {
    return ImVec4(float(r), float(g), float(b), float(a));
}

// The tint's text colour; a very dark one is lifted towards white so the
// labels stay readable on the dark panels.
ImU32 TextColour(const TTint& t) {
    const uint32_t c = t.TextColour();
    int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    const double luminance = (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255;
    if (luminance < 0.3) {
        const double lift = (0.3 - luminance) / 0.3 * 0.5;
        r += int((255 - r) * lift);
        g += int((255 - g) * lift);
        b += int((255 - b) * lift);
    }
    return IM_COL32(r, g, b, 255);
}

ImU32 RgbCol(const TRgb& c) {
    return IM_COL32(c.R, c.G, c.B, 255);
}

// The network square: two screens on their stands joined by a cable, in
// a 32 x 32 picture centred in a black square of 48.
void DrawNetworkSquare(ImDrawList* d, ImVec2 at, ImU32 col) {
    const float s = ButtonPictureSize;
    d->AddRectFilled(at, {at.x + s, at.y + s}, IM_COL32(0, 0, 0, 255));
    const ImVec2 o{at.x + 8, at.y + 8}; // the 32 x 32 picture
    for (int k = 0; k < 2; ++k) {
        const float x = o.x + (k ? 18 : 0), y = o.y + (k ? 12 : 2);
        d->AddRect({x, y}, {x + 14, y + 11}, col, 1.5f, 0, 2);
        d->AddRectFilled({x + 3, y + 3}, {x + 11, y + 8}, IM_COL32(60, 120, 200, 255));
        d->AddLine({x + 7, y + 11}, {x + 7, y + 14}, col, 2);
        d->AddLine({x + 3, y + 14}, {x + 11, y + 14}, col, 2);
    }
    d->AddBezierCubic({o.x + 7, o.y + 16}, {o.x + 7, o.y + 30}, {o.x + 25, o.y + 10},
                      {o.x + 25, o.y + 26}, col, 1.5f);
}

ImU32 LabelColour(TKeyConfigForm::TLabelColour c) {
    switch (c) {
    case TKeyConfigForm::lcRed:
        return IM_COL32(200, 0, 0, 255);
    case TKeyConfigForm::lcGreen:
        return IM_COL32(0, 140, 0, 255);
    default:
        return IM_COL32(0, 0, 0, 255);
    }
}

// A box's picture into its texture (made on first use).
void UploadPicture(SDL_Renderer* renderer, const TImage& pic, SDL_Texture*& texture) {
    if (!renderer) return;
    if (!texture) {
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_XBGR8888, SDL_TEXTUREACCESS_STATIC,
                                    pic.Width, pic.Height);
        if (!texture) return;
    }
    SDL_UpdateTexture(texture, nullptr, pic.Pixels.data(), pic.Width * 4);
}

void DrawStyleIcon(ImDrawList* d, TGameStyle style, ImVec2 c, ImU32 col, ImU32 dark) {
    switch (style) {
    case styleDeathmatch:
        d->AddCircle(c, 20, col, 32, 3);
        d->AddCircle(c, 9, col, 24, 2);
        for (int k = 0; k < 4; ++k) {
            const float a = float(k) * 1.5707963f;
            const ImVec2 u{std::cos(a), std::sin(a)};
            d->AddLine({c.x + u.x * 12, c.y + u.y * 12}, {c.x + u.x * 27, c.y + u.y * 27}, col, 3);
        }
        d->AddCircleFilled(c, 2.5f, col);
        break;
    case styleTeamWar:
        for (int k = 0; k < 2; ++k) {
            const float x = c.x - 16 + k * 20, y = c.y - 20 + k * 6;
            d->AddLine({x, y}, {x, y + 40 - k * 6}, col, 3);
            d->AddTriangleFilled({x + 1, y}, {x + 22, y + 7}, {x + 1, y + 14}, col);
            d->AddTriangle({x + 1, y}, {x + 22, y + 7}, {x + 1, y + 14}, dark, 1.5f);
        }
        break;
    case styleCaptureTheCow:
        // A cow's head: horns, ears, a patch, a broad muzzle.
        d->AddTriangleFilled({c.x - 12, c.y - 14}, {c.x - 24, c.y - 26}, {c.x - 6, c.y - 17}, col);
        d->AddTriangleFilled({c.x + 12, c.y - 14}, {c.x + 24, c.y - 26}, {c.x + 6, c.y - 17}, col);
        d->AddCircleFilled({c.x - 18, c.y - 8}, 6, col);
        d->AddCircleFilled({c.x + 18, c.y - 8}, 6, col);
        d->AddRectFilled({c.x - 13, c.y - 18}, {c.x + 13, c.y + 10}, col, 10);
        d->AddCircleFilled({c.x - 5, c.y - 9}, 6, dark);
        d->AddRectFilled({c.x - 15, c.y + 4}, {c.x + 15, c.y + 22}, col, 9);
        d->AddCircleFilled({c.x - 6, c.y + 13}, 2.5f, dark);
        d->AddCircleFilled({c.x + 6, c.y + 13}, 2.5f, dark);
        break;
    }
}

SDL_Rect RectOf(ImVec2 a, ImVec2 b) {
    return {int(a.x), int(a.y), int(b.x - a.x), int(b.y - a.y)};
}

} // namespace

TStartScreen::~TStartScreen() {
    if (BackgroundTexture) SDL_DestroyTexture(BackgroundTexture);
    for (SDL_Texture* t : BoxTextures)
        if (t) SDL_DestroyTexture(t);
}

void TStartScreen::Place(const std::string& name) {
    Places[name] = RectOf(ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
}

void TStartScreen::HandleEvent(const SDL_Event& e) {
    TKeyEvent key;
    const bool keyDown = e.type == SDL_KEYDOWN && KeyEventFromSdl(e, key);
    if (Keys && Keys->Visible) {
        // The key dialog sees every key first: a label waiting for one takes
        // whatever comes (a key the game has no code for is not one).
        if (keyDown && Messages.empty() && key.Key > 0 && Keys->KeyDown(key.Key)) return;
        Gui.HandleEvent(e);
        return;
    }
    // The network dialog's fields take every key.
    if (Network && Network->Visible) {
        Gui.HandleEvent(e);
        return;
    }
    if (keyDown && Messages.empty()) {
        if (key.Key != vk::Escape && Form.KeyDown(key.Key)) return;
        // Esc waits for the frame: it must not start the game window from
        // inside the event loop of the screen it hides.
        if (key.Key == vk::Escape && Form.GameStarted) {
            Pending = TAction::Continue;
            return;
        }
    }
    Gui.HandleEvent(e);
}

void TStartScreen::Theme() {
    const TTint& t = Form.Tint;
    ImGuiStyle& s = ImGui::GetStyle();
    s.WindowRounding = 6;
    s.ChildRounding = 6;
    s.FrameRounding = 4;
    s.GrabRounding = 3;
    s.PopupRounding = 4;
    s.ScrollbarRounding = 4;
    s.WindowBorderSize = 1;
    s.FrameBorderSize = 1;
    s.ItemSpacing = ImVec2(8, 5);
    s.FramePadding = ImVec2(6, 3);
    s.WindowPadding = ImVec2(10, 8);
    s.ScrollbarSize = 12;
    const double r = t.R, g = t.G, b = t.B;
    ImVec4* c = s.Colors;
    // Labels in the tint's own colour; what is typed or pressed in near white.
    c[ImGuiCol_Text] = Vec(0.94, 0.94, 0.90);
    c[ImGuiCol_TextDisabled] = Vec(0.55, 0.55, 0.55);
    c[ImGuiCol_WindowBg] = Vec(0.03, 0.03, 0.03, 0.78);
    c[ImGuiCol_ChildBg] = Vec(0.02, 0.02, 0.02, 0.72);
    c[ImGuiCol_PopupBg] = Vec(0.06, 0.06, 0.06, 0.97);
    c[ImGuiCol_Border] = Vec(r * 0.75, g * 0.75, b * 0.75, 0.85);
    c[ImGuiCol_FrameBg] = Vec(r * 0.18, g * 0.18, b * 0.18, 0.95);
    c[ImGuiCol_FrameBgHovered] = Vec(r * 0.30, g * 0.30, b * 0.30, 0.95);
    c[ImGuiCol_FrameBgActive] = Vec(r * 0.40, g * 0.40, b * 0.40, 0.95);
    c[ImGuiCol_Button] = Vec(r * 0.32, g * 0.32, b * 0.32, 0.95);
    c[ImGuiCol_ButtonHovered] = Vec(r * 0.50, g * 0.50, b * 0.50, 1);
    c[ImGuiCol_ButtonActive] = Vec(r * 0.68, g * 0.68, b * 0.68, 1);
    c[ImGuiCol_Header] = Vec(r * 0.40, g * 0.40, b * 0.40, 0.9);
    c[ImGuiCol_HeaderHovered] = Vec(r * 0.52, g * 0.52, b * 0.52, 0.9);
    c[ImGuiCol_HeaderActive] = Vec(r * 0.62, g * 0.62, b * 0.62, 1);
    c[ImGuiCol_CheckMark] = Vec(0.5 + r / 2, 0.5 + g / 2, 0.5 + b / 2);
    c[ImGuiCol_SliderGrab] = Vec(0.4 + r * 0.6, 0.4 + g * 0.6, 0.4 + b * 0.6);
    c[ImGuiCol_SliderGrabActive] = Vec(1, 1, 1);
    c[ImGuiCol_ScrollbarBg] = Vec(0, 0, 0, 0.3);
    c[ImGuiCol_ScrollbarGrab] = Vec(r * 0.5, g * 0.5, b * 0.5, 0.9);
    c[ImGuiCol_Separator] = c[ImGuiCol_Border];
    c[ImGuiCol_ModalWindowDimBg] = Vec(0, 0, 0, 0.55);
    c[ImGuiCol_TitleBg] = Vec(r * 0.35, g * 0.35, b * 0.35, 1);
    c[ImGuiCol_TitleBgActive] = Vec(r * 0.45, g * 0.45, b * 0.45, 1);
}

void TStartScreen::DrawBackground() {
    SDL_Renderer* renderer = Gui.Renderer();
    if (!BackgroundTexture && renderer && !Form.Background.Pixels.empty()) {
        const TImage& pic = Form.Background;
        BackgroundTexture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_XBGR8888,
                                              SDL_TEXTUREACCESS_STATIC, pic.Width, pic.Height);
        if (BackgroundTexture)
            SDL_UpdateTexture(BackgroundTexture, nullptr, pic.Pixels.data(), pic.Width * 4);
    }
    // The picture itself is copied straight onto the window before ImGui
    // draws (Frame): a copy is far cheaper than a textured triangle pair.
    ImDrawList* d = ImGui::GetBackgroundDrawList();
    // The name of the game, with a shadow so it stands out from any sky.
    const ImU32 text = TextColour(Form.Tint);
    ImFont* title = Gui.Title;
    const float size = title ? title->FontSize : 40;
    d->AddText(title, size, {Margin + 2, 14 + 2}, IM_COL32(0, 0, 0, 200), "MOORCLASH");
    d->AddText(title, size, {Margin, 14}, text, "MOORCLASH");
    // The version, small, beside the name: the About line.
    const std::string version = std::string("version ") + GameVersion();
    const float x =
        Margin + (title ? title->CalcTextSizeA(size, 1e9f, 0, "MOORCLASH").x : 220) + 10;
    d->AddText({x, 14 + size - ImGui::GetFontSize() - 4}, text, version.c_str());
}

void TStartScreen::PlayerPanel() {
    const ImU32 text = TextColour(Form.Tint);
    ImGui::SetNextWindowPos(PlayerPos);
    ImGui::SetNextWindowSize(PlayerSize);
    ImGui::Begin("##player", nullptr, FixedPanel | ImGuiWindowFlags_NoBringToFrontOnFocus);
    const float width = ImGui::GetContentRegionAvail().x;
    ImGui::PushFont(Gui.Large);
    ImGui::PushStyleColor(ImGuiCol_Text, text);
    ImGui::TextUnformatted(Form.Label12.c_str());
    ImGui::PopStyleColor();
    ImGui::PopFont();
    Place("Label12");
    ImGui::SameLine(width - 104);
    if (ImGui::Button(Form.SelectPlayerCaption.c_str(), ImVec2(112, 0)))
        Form.SelectPlayerBtnClick();
    Place("SelectPlayerBtn");

    const float labelWidth = 74;
    auto label = [&](const char* caption) { RowLabel(caption, labelWidth, text); };
    if (Form.SelectorVisible) {
        label("Driver");
        const std::string current = SelectorEntry(Form.SelectorIndex);
        if (ImGui::BeginCombo("##SelectTank", current.c_str())) {
            for (int k = 0; k < MaxTanks; ++k) {
                const std::string entry = SelectorEntry(k);
                if (ImGui::Selectable(entry.c_str(), k == Form.SelectorIndex))
                    Form.SelectTankChange(k);
            }
            ImGui::EndCombo();
        }
        Place("SelectTank");
    }
    label("Name");
    if (Form.FocusNameBox) {
        ImGui::SetKeyboardFocusHere();
        Form.FocusNameBox = false;
    }
    std::string name = Form.NameBox;
    if (ImGui::InputText("##NameBox", &name, ImGuiInputTextFlags_AutoSelectAll))
        Form.NameChange(name);
    Place("NameBox");
    if (Form.WeaponVisible()) {
        label("Weapon");
        int weapon = Form.WeaponIndex;
        if (ImGui::Combo("##WeaponBox", &weapon, WeaponNames, 8)) Form.WeaponChange(weapon);
        Place("WeaponBox");
    }

    label("Vehicle");
    const float half = (ImGui::GetContentRegionAvail().x - 8) / 2;
    ImGui::SetNextItemWidth(half);
    int sort = Form.SortIndex;
    if (ImGui::Combo("##SortBox", &sort, SortNames, 3)) Form.SortChange(sort);
    Place("SortBox");
    ImGui::SameLine(0, 8);
    ImGui::SetNextItemWidth(-1);
    int pattern = Form.PatternIndex;
    if (ImGui::Combo("##PatternBox", &pattern, PatternNames, 8)) Form.PatternChange(pattern);
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("Paint pattern");
    Place("PatternBox");

    // The look of the vehicle, set apart under the rest.
    ImGui::Spacing();
    ImGui::Separator();
    ImGui::Spacing();
    ImGui::Spacing();
    AppearanceEditor(width);
    ImGui::End();
}

void TStartScreen::ColourBox(const char* id, TColourBox box, const TImage& picture,
                             SDL_Texture*& texture, const char* hint) {
    if (BoxesStale || !texture) UploadPicture(Gui.Renderer(), picture, texture);
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const ImVec2 size{float(picture.Width), float(picture.Height)};
    ImGui::InvisibleButton(id, size,
                           ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
    if (ImGui::IsItemActivated()) {
        const ImVec2 m = ImGui::GetIO().MousePos;
        DragX = at.x;
        DragY = at.y;
        Editor.BoxMouseDown(box, int(std::floor(m.x - at.x)), int(std::floor(m.y - at.y)));
    }
    if (hint && ImGui::IsItemHovered() && !Editor.Dragging()) ImGui::SetTooltip("%s", hint);
    ImDrawList* d = ImGui::GetWindowDrawList();
    if (texture) d->AddImage(texture, at, {at.x + size.x, at.y + size.y});
    d->AddRect({at.x - 1, at.y - 1}, {at.x + size.x + 1, at.y + size.y + 1},
               IM_COL32(0, 0, 0, 255));
    Place(id + 2);
}

void TStartScreen::AppearanceEditor(float width) {
    const ImU32 text = TextColour(Form.Tint);
    const ImVec2 top = ImGui::GetCursorScreenPos();
    ImDrawList* d = ImGui::GetWindowDrawList();

    // The turning preview, framed.
    ImGui::Dummy(ImVec2(PreviewWidth, PreviewHeight));
    PreviewLook.DrawPreview(d, top, LastFrameMs);
    d->AddRect({top.x - 1, top.y - 1}, {top.x + PreviewWidth + 1, top.y + PreviewHeight + 1},
               ImGui::GetColorU32(ImGuiCol_Border));
    Place("Preview");

    // Saturation and brightness stand beside it, the hue strip under both.
    const float boxesX = top.x + PreviewWidth + 10;
    // Painted again only when their colours changed: a frame is cheap.
    const THsb shown[2] = {Editor.BoxColour1, Editor.BoxColour2};
    BoxesStale = BoxPictures[2].Pixels.empty() || std::memcmp(shown, BoxColours, sizeof shown) != 0;
    if (BoxesStale) {
        BoxPictures[0] = PaintLevelBox(boxSaturation, shown[0], shown[1]);
        BoxPictures[1] = PaintLevelBox(boxBrightness, shown[0], shown[1]);
        BoxPictures[2] = PaintHueBox(shown[0], shown[1]);
        std::memcpy(BoxColours, shown, sizeof shown);
    }
    ImGui::SetCursorScreenPos({boxesX, top.y});
    ColourBox("##SaturationBox", boxSaturation, BoxPictures[0], BoxTextures[0],
              "Saturation: left the first colour, right the second");
    ImGui::SetCursorScreenPos({boxesX + LevelBoxWidth + 8, top.y});
    ColourBox("##BrightnessBox", boxBrightness, BoxPictures[1], BoxTextures[1],
              "Brightness: left the first colour, right the second");
    ImGui::SetCursorScreenPos({top.x, top.y + LevelBoxHeight + 8});
    ColourBox("##HueBox", boxHue, BoxPictures[2], BoxTextures[2],
              "Colour: the upper half the first colour, the lower the second");
    BoxesStale = false;

    // The named colours, the swatch, and "Random" to the right.
    const float right = boxesX + 2 * LevelBoxWidth + 8 + 14;
    const float rightWidth = top.x + width - right;
    ImGui::SetCursorScreenPos({right, top.y});
    ImGui::PushStyleColor(ImGuiCol_Text, text);
    ImGui::TextUnformatted("Colour");
    ImGui::PopStyleColor();
    ImGui::SetCursorScreenPos({right, ImGui::GetCursorScreenPos().y});
    if (ImGui::ArrowButton("##ColourDown", ImGuiDir_Left))
        Editor.ColourSelectChange(Form.ColourSelect - 1);
    Place("ColorSelectDown");
    ImGui::SameLine(0, 4);
    const float h = ImGui::GetFrameHeight();
    const float swatchWidth = rightWidth - 2 * (h + 4);
    const ImVec2 sw = ImGui::GetCursorScreenPos();
    ImGui::Dummy(ImVec2(swatchWidth, h));
    d->AddRectFilled(sw, {sw.x + swatchWidth, sw.y + h}, RgbCol(TeamRgb(Form.ColourSelect)), 3);
    d->AddRect(sw, {sw.x + swatchWidth, sw.y + h}, IM_COL32(255, 255, 255, 90), 3);
    Place("Panel1");
    ImGui::SameLine(0, 4);
    if (ImGui::ArrowButton("##ColourUp", ImGuiDir_Right))
        Editor.ColourSelectChange(Form.ColourSelect + 1);
    Place("ColorSelectUp");
    ImGui::SetCursorScreenPos({right, ImGui::GetCursorScreenPos().y});
    const char* name = ColourName(Form.ColourSelect);
    ImGui::SetCursorPosX(ImGui::GetCursorPosX() + (rightWidth - ImGui::CalcTextSize(name).x) / 2);
    ImGui::TextUnformatted(name);
    Place("ColorSelect");

    ImGui::SetCursorScreenPos({right, top.y + LevelBoxHeight + 8 + HueBoxHeight - h});
    if (ImGui::Button("Random", ImVec2(rightWidth, 0))) Editor.RandomClick();
    Place("Button1");
}

void TStartScreen::MatchPanel() {
    const ImU32 text = TextColour(Form.Tint);
    ImGui::SetNextWindowPos(MatchPos);
    ImGui::SetNextWindowSize(MatchSize);
    ImGui::Begin("##match", nullptr, FixedPanel | ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImGui::PushStyleColor(ImGuiCol_Text, text);
    const ImVec2 top = ImGui::GetCursorScreenPos();
    const char* styles[] = {"Deathmatch", "Team War", "Capture The Cow"};
    const char* ids[] = {"CheckDeathmatch", "CheckTeamgame", "CheckCTC"};
    for (int k = 0; k < 3; ++k) {
        if (ImGui::RadioButton(styles[k], Form.Style == k)) Form.StyleClick(TGameStyle(k));
        Place(ids[k]);
    }
    if (Form.Style == styleTeamWar) {
        bool bases = Form.UseBases;
        ImGui::SetCursorPosX(ImGui::GetCursorPosX() + 24);
        if (ImGui::Checkbox("Use bases", &bases)) Form.UseBasesClick(bases);
        Place("CheckUseBases");
    }
    // The picture of the chosen style.
    const ImVec2 centre{top.x + ImGui::GetContentRegionAvail().x - 40, top.y + 34};
    ImGui::GetWindowDrawList()->AddCircleFilled(centre, 36, IM_COL32(0, 0, 0, 110), 40);
    DrawStyleIcon(ImGui::GetWindowDrawList(), Form.Style, centre, text, IM_COL32(0, 0, 0, 255));
    ImGui::SetCursorScreenPos({top.x, top.y + 100});

    ImGui::TextUnformatted("Level:");
    ImGui::PopStyleColor();
    const float listWidth = ImGui::GetContentRegionAvail().x - 34;
    const auto& levels = Form.ShownLevels();
    if (ImGui::BeginListBox("##SelectedMaps", ImVec2(listWidth, 132))) {
        for (int i = 0; i < int(levels.size()); ++i) {
            ImGui::PushID(i);
            const bool selected = i == Form.LevelIndex;
            if (ImGui::Selectable(levels[i].c_str(), selected)) Form.SelectLevel(i);
            if (selected && Form.LevelIndex != ListScrolledTo) {
                ImGui::SetScrollHereY();
                ListScrolledTo = Form.LevelIndex;
            }
            if (ImGui::IsItemVisible())
                Places["level " + levels[i]] =
                    RectOf(ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
            ImGui::PopID();
        }
        ImGui::EndListBox();
    }
    Place("SelectedMaps");
    ImGui::SameLine();
    ImGui::BeginGroup();
    if (ImGui::ArrowButton("MapUp", ImGuiDir_Up)) Form.MapUpClick();
    Place("MapUp");
    if (ImGui::ArrowButton("MapDown", ImGuiDir_Down)) Form.MapDownClick();
    Place("MapDown");
    ImGui::EndGroup();

    ImGui::Spacing();
    const float labelWidth = 86;
    auto label = [&](const char* caption) { RowLabel(caption, labelWidth, text); };
    label("Bots:");
    int bots = Form.BotCount;
    if (ImGui::SliderInt("##Opponentcount", &bots, 0, MaxBotCount)) Form.BotCountChange(bots);
    Place("Opponentcount");
    label(Form.LimitCaption());
    Place("Label5");
    ImGui::SetNextItemWidth(-1);
    int limit = Form.LimitBoxValue();
    if (ImGui::InputInt("##FraglimitBtn", &limit, 1, 10)) Form.LimitChange(limit);
    Place("FraglimitBtn");
    ImGui::End();
}

void TStartScreen::OptionsPanel() {
    const ImU32 text = TextColour(Form.Tint);
    // Over the player's and the match's panels.
    const float left = PlayerPos.x;
    ImGui::SetNextWindowPos({left, PlayerPos.y});
    ImGui::SetNextWindowSize({MatchPos.x + MatchSize.x - left, MatchSize.y});
    ImGui::Begin("##options", nullptr, FixedPanel);
    ImGui::PushStyleColor(ImGuiCol_Text, text);
    const float col2 = 290;
    auto tip = [this](const char* hint) {
        if (!hint || !ImGui::IsItemHovered()) return;
        // Wrapped to fit the window wherever the pointer is.
        ImGui::BeginTooltip();
        ImGui::PushTextWrapPos(340);
        ImGui::TextUnformatted(hint);
        ImGui::PopTextWrapPos();
        const ImVec2 at = ImGui::GetWindowPos(), size = ImGui::GetWindowSize();
        ImGui::EndTooltip();
        Places["Tooltip"] = RectOf(at, {at.x + size.x, at.y + size.y});
    };
    auto check = [&](const char* caption, bool& v, const char* hint, const char* id) {
        ImGui::Checkbox(caption, &v);
        tip(hint);
        Place(id);
    };

    // Left: how the match plays and looks.
    ImGui::BeginGroup();
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted("Armor:");
    ImGui::SameLine(64);
    ImGui::SetNextItemWidth(130);
    int armour = Form.Armour;
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.94f, 0.94f, 0.90f, 1));
    if (ImGui::SliderInt("##HealthBar", &armour, 1, MaxArmour, "")) Form.ArmourChange(armour);
    ImGui::PopStyleColor();
    tip("The amount of armor of the vehicles: 200% means twice as hard to kill/die");
    Place("HealthBar");
    ImGui::SameLine();
    ImGui::TextUnformatted(Form.ArmourLabel.c_str());
    Place("HealthBarLabel");
    ImGui::Spacing();
    check("Tank indicators", Form.TankIndicators,
          "Show positions of vehicles at the sides of the screen", "TankIndicators");
    check("Show names", Form.ShowNames, nullptr, "ShowNames");
    check("No shadows", Form.NoShadows,
          "Don't draw shadows and cow alarms; this will make the game run faster", "NoShadows");
    check("Player 2 left side of screen", Form.SwitchSides,
          "When playing splitscreen, show player 2 left and player 1 right", "SwitchSides");
    check("Cycle levels", Form.CycleLevels, "When a level is finished, go to next level",
          "Cyclelevels");
    ImGui::EndGroup();

    // Right: the display and the network.
    ImGui::SameLine(col2);
    ImGui::BeginGroup();
    check("Fullscreen:", Form.Fullscreen, "Display the game on the entire screen while playing",
          "CheckFullscreen");
    check("Screen sync", Form.ScreenSync,
          "Synchronize framerate with your monitor's refresh rate (decreases framerate, smoother "
          "drawing)",
          "CheckVSync");
    auto combo = [&](const char* caption, const char* id, int& index, const char* const* items,
                     void (TStartForm::*change)(int), const char* hint) {
        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted(caption);
        ImGui::SameLine(110);
        ImGui::SetNextItemWidth(-1);
        ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.94f, 0.94f, 0.90f, 1));
        const char* shown = index >= 0 && index <= 2 ? items[index] : "";
        if (ImGui::BeginCombo(id, shown)) {
            for (int k = 0; k < 3; ++k)
                if (ImGui::Selectable(items[k], k == index)) (Form.*change)(k);
            ImGui::EndCombo();
        }
        ImGui::PopStyleColor();
        tip(hint);
        Place(id + 2);
    };
    combo("Resolution", "##ResolutionBox", Form.ResolutionIndex, ResolutionNames,
          &TStartForm::ResolutionChange,
          "When playing fullscreen: the amount of detail (higher values mean more detail and "
          "more visible playing field)");
    combo("Color Depth", "##ColorDepthBox", Form.ColourDepthIndex, ColourDepthNames,
          &TStartForm::ColourDepthChange,
          "The number of bits per pixel; this influences the amount of colors that will be shown "
          "(higher value: more colors, slower drawing)");
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted("Server rate:");
    ImGui::SameLine(110);
    ImGui::SetNextItemWidth(-1);
    int rate = Form.ServerRate;
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0.94f, 0.94f, 0.90f, 1));
    if (ImGui::InputInt("##ServerRateBtn", &rate)) Form.ServerRateChange(rate);
    ImGui::PopStyleColor();
    tip("The number of game status updates sent by server per second (default = 20)");
    Place("ServerRateBtn");
    ImGui::EndGroup();

    ImGui::PopStyleColor();
    ImGui::Spacing();
    ImGui::Separator();
    ImGui::Spacing();
    // The buttons that open more.
    if (ImGui::Button("Configure controls", ImVec2(180, 0))) Form.KeyDialogRequested = true;
    Place("SetControlsBtn");
    ImGui::SameLine();
    if (ImGui::Button(Form.SetBotsCaption.c_str(), ImVec2(180, 0))) Form.SetBotsBtnClick();
    Place("SetBotsBtn");
    check("Record matches", RecordMatches,
          "Every level played is saved as a recording in your own folder", "RecordMatchesBox");
    ImGui::SameLine(col2);
    if (ImGui::Button("Watch a recording", ImVec2(180, 0))) {
        Recordings = ListRecordings(RecordingsFolder());
        ImGui::OpenPopup("##Recordings");
    }
    Place("WatchBtn");
    if (ImGui::BeginPopup("##Recordings")) {
        if (Recordings.empty())
            ImGui::TextUnformatted(("No recordings in " + RecordingsFolder()).c_str());
        for (const std::string& name : Recordings)
            if (ImGui::Selectable(name.c_str())) WatchRequested = RecordingsFolder() + "/" + name;
        ImGui::EndPopup();
    }

    ImGui::Spacing();
    ImGui::PushStyleColor(ImGuiCol_Text, text);
    ImGui::TextUnformatted("Taunts:");
    ImGui::PopStyleColor();
    const float boxWidth = (ImGui::GetContentRegionAvail().x - 8) / 2;
    const float boxHeight = ImGui::GetContentRegionAvail().y;
    ImGui::InputTextMultiline("##TauntList", &Form.TauntBox1, ImVec2(boxWidth, boxHeight));
    tip("Player 1's list of insults");
    Place("TauntList");
    ImGui::SameLine();
    ImGui::InputTextMultiline("##TauntList2", &Form.TauntBox2, ImVec2(boxWidth, boxHeight));
    tip("Player 2's list of insults");
    Place("TauntList2");
    ImGui::End();
}

void TStartScreen::StartPicture(int kind, ImVec2 at) {
    ImDrawList* d = ImGui::GetWindowDrawList();
    const float step = ButtonPictureSize;
    const bool two = kind == startSplitScreen || kind == startSplitScreenNetwork;
    // Player 2 drawn on the left when the split screen puts them there.
    const int first = two && Form.SwitchSides ? 1 : 0;
    ButtonLook[first].DrawButtonPicture(d, at);
    if (two) ButtonLook[1 - first].DrawButtonPicture(d, {at.x + step, at.y});
    if (kind >= startNetwork)
        DrawNetworkSquare(d, {at.x + step * (two ? 2 : 1), at.y}, IM_COL32(235, 235, 225, 255));
    if (!two) return;
    // Each half of the split screen says whose it is.
    ImFont* font = Gui.Bold ? Gui.Bold : ImGui::GetFont();
    for (int side = 0; side < 2; ++side) {
        const char* number = (side == 0) == (first == 0) ? "1" : "2";
        const ImVec2 p{at.x + step * side + 3, at.y + step - font->FontSize - 1};
        d->AddText(font, font->FontSize, {p.x + 1, p.y + 1}, IM_COL32(0, 0, 0, 255), number);
        d->AddText(font, font->FontSize, p, IM_COL32(255, 255, 255, 255), number);
    }
}

void TStartScreen::StartButtons(int32_t nowMs) {
    ImGui::SetNextWindowPos(StartPos);
    ImGui::SetNextWindowSize({StartX(4) - StartGap - StartPos.x, StartHeight});
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(StartGap, 0));
    ImGui::Begin("##start", nullptr, FixedPanel | ImGuiWindowFlags_NoBackground);
    const char* ids[] = {"StartBtn", "Start2P", "Start1PN", "Start2PN"};
    int hovered = -1;
    for (int k = 0; k < 4; ++k) {
        if (k > 0) ImGui::SameLine();
        ImGui::PushID(k);
        if (ImGui::Button("##go", {StartWidth(k), StartHeight})) {
            Pending = TAction::Start;
            PendingStart = TStartKind(k);
        }
        if (ImGui::IsItemHovered()) hovered = k;
        ImGui::PopID();
        Place(ids[k]);
        const ImVec2 a = ImGui::GetItemRectMin();
        StartPicture(k, {a.x + PicturePad, a.y + PicturePad});
        ImFont* font = Gui.Bold ? Gui.Bold : ImGui::GetFont();
        const float fs = font->FontSize;
        const ImVec2 t = font->CalcTextSizeA(fs, 1e9f, 0, StartCaptions[k]);
        const ImVec2 at{a.x + (StartWidth(k) - t.x) / 2,
                        a.y + PicturePad + ButtonPictureSize +
                            (StartHeight - PicturePad - ButtonPictureSize - fs) / 2};
        ImGui::GetWindowDrawList()->AddText(font, fs, at, TextColour(Form.Tint), StartCaptions[k]);
        Places[std::string("caption ") + ids[k]] = RectOf(at, {at.x + t.x, at.y + fs});
    }
    ImGui::End();
    ImGui::PopStyleVar(2);
    // Over the background (not a button) the help text goes away.
    if (hovered < 0 && !ImGui::IsAnyItemHovered()) Form.HoverStartButton(-1, nowMs);
    if (hovered >= 0) Form.HoverStartButton(hovered, nowMs);
}

void TStartScreen::BottomButtons() {
    // OPTIONS above EXIT, right of the start buttons.
    const float left = StartX(4) + 4;
    const float width = MatchPos.x + MatchSize.x - left;
    ImGui::SetNextWindowPos({left, StartPos.y});
    ImGui::SetNextWindowSize({width, StartHeight});
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, 4));
    ImGui::Begin("##bottom", nullptr, FixedPanel | ImGuiWindowFlags_NoBackground);
    ImGui::PushFont(Form.OptionsShown ? Gui.Small : Gui.Large);
    if (ImGui::Button(Form.OptionsCaption.c_str(), ImVec2(width, 36))) Form.OptionsBtnClick();
    Place("OptionsBtn");
    ImGui::PopFont();
    ImGui::PushFont(Gui.Small);
    if (ImGui::Button("EXIT", ImVec2(width, StartHeight - 40))) Pending = TAction::Exit;
    Place("Button2");
    ImGui::PopFont();
    ImGui::End();
    ImGui::PopStyleVar(2);
}

void TStartScreen::HelpAndDebug() {
    ImDrawList* d = ImGui::GetForegroundDrawList();
    if (Form.HelpVisible && !Form.OptionsShown && Form.HelpButton >= 0 && Form.HelpButton < 4) {
        // Just above its button, where the row leaves room.
        ImFont* font = Gui.Normal;
        const float size = font ? font->FontSize : 15;
        const ImVec2 t = ImGui::CalcTextSize(Form.HelpText.c_str());
        const ImVec2 at{StartX(Form.HelpButton) + 4, StartPos.y - size - 10};
        d->AddRectFilled({at.x - 6, at.y - 4}, {at.x + t.x + 6, at.y + size + 4},
                         IM_COL32(0, 0, 0, 190), 4);
        d->AddText(font, size, at, TextColour(Form.Tint), Form.HelpText.c_str());
        Places["HelpText"] = RectOf(at, {at.x + t.x, at.y + size});
    } else {
        Places.erase("HelpText");
    }
    if (Developer) {
        ImGui::SetNextWindowPos({MatchPos.x, 8});
        ImGui::SetNextWindowSize({MatchSize.x, 60});
        ImGui::Begin("##DebugList", nullptr, FixedPanel);
        ImGui::PushFont(Gui.Normal);
        for (const std::string& line : Form.DebugList)
            ImGui::TextUnformatted(line.c_str());
        if (ImGui::GetScrollY() >= ImGui::GetScrollMaxY()) ImGui::SetScrollHereY(1.0f);
        ImGui::PopFont();
        ImGui::End();
    }
}

void TStartScreen::MessagePopup(const SDL_Rect* area) {
    if (Messages.empty()) return;
    if (!ImGui::IsPopupOpen("Moorclash##message")) ImGui::OpenPopup("Moorclash##message");
    // In the middle of the window, or of the area given (one that leaves
    // what the message is about in sight).
    const SDL_Rect a = area ? *area : SDL_Rect{0, 0, StartFormWidth, StartFormHeight};
    const float widest = std::min(560.0f, float(a.w));
    ImGui::SetNextWindowPos({a.x + a.w / 2.0f, a.y + a.h / 2.0f}, ImGuiCond_Always, {0.5f, 0.5f});
    ImGui::SetNextWindowSizeConstraints({std::min(260.0f, widest), 0}, {widest, 400});
    if (ImGui::BeginPopupModal("Moorclash##message", nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove)) {
        Places["Message"] =
            RectOf(ImGui::GetWindowPos(), {ImGui::GetWindowPos().x + ImGui::GetWindowSize().x,
                                           ImGui::GetWindowPos().y + ImGui::GetWindowSize().y});
        ImGui::PushTextWrapPos(widest - 20);
        ImGui::TextUnformatted(Messages.front().c_str());
        ImGui::PopTextWrapPos();
        ImGui::Spacing();
        const float w = 90;
        ImGui::SetCursorPosX((ImGui::GetWindowContentRegionMax().x - w) / 2);
        const bool enter = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)) ||
                           ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape));
        if (ImGui::Button("OK", ImVec2(w, 0)) || enter) {
            Messages.pop_front();
            ImGui::CloseCurrentPopup();
        }
        Place("MessageOK");
        ImGui::EndPopup();
    }
}

void TStartScreen::KeyDialog() {
    TKeyConfigForm& k = *Keys;
    // The title says whose keys are shown; the id after ### stays the same.
    const std::string title = std::string("Configure keyboard: ") +
                              (k.ShownPlayer() == 0 ? "Player 1's keys" : "Player 2's keys") +
                              "###keys";
    if (!ImGui::IsPopupOpen(title.c_str())) ImGui::OpenPopup(title.c_str());
    // Wider than the window it replaces: the fixed keys beside the
    // bindings need the room at this font size.
    const ImVec2 size{560, float(KeyDialogHeight)};
    ImGui::SetNextWindowPos({StartFormWidth / 2.0f, StartFormHeight / 2.0f}, ImGuiCond_Always,
                            {0.5f, 0.5f});
    ImGui::SetNextWindowSize(size);
    ImGui::PushStyleColor(ImGuiCol_PopupBg, ImVec4(0.08f, 0.08f, 0.08f, 0.98f));
    const bool open =
        ImGui::BeginPopupModal(title.c_str(), nullptr,
                               ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoScrollbar);
    ImGui::PopStyleColor();
    if (!open) return;
    Places["KeyTitle " + std::to_string(k.ShownPlayer() + 1)] = RectOf(
        ImGui::GetWindowPos(), {ImGui::GetWindowPos().x + size.x, ImGui::GetWindowPos().y + 20});
    ImDrawList* d = ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const ImU32 text = TextColour(Form.Tint);
    constexpr float RowStep = 24, KeyX = 140, KeyWidth = 80;
    int hovered = -1;
    for (int i = 0; i < KeyActionCount; ++i) {
        const float y = origin.y + i * RowStep;
        ImGui::SetCursorScreenPos({origin.x, y + 3});
        ImGui::PushStyleColor(ImGuiCol_Text, text);
        ImGui::TextUnformatted(KeyActionLabels[i]);
        ImGui::PopStyleColor();
        // The key on a light card, so black, red and green all read.
        const ImVec2 a{origin.x + KeyX, y}, b{a.x + KeyWidth, y + RowStep - 3};
        ImGui::SetCursorScreenPos(a);
        ImGui::PushID(i);
        if (ImGui::InvisibleButton("##key", {KeyWidth, RowStep - 3})) k.LabelClick(i);
        ImGui::PopID();
        if (ImGui::IsItemHovered()) hovered = i;
        Places["key " + std::to_string(i)] = RectOf(a, b);
        Places["row " + std::to_string(i)] = RectOf({origin.x, y}, b);
        const bool waiting = k.WaitingRow == i;
        d->AddRectFilled(a, b,
                         waiting ? IM_COL32(255, 240, 160, 255) : IM_COL32(225, 222, 210, 255), 3);
        ImFont* font = Gui.Bold ? Gui.Bold : ImGui::GetFont();
        const float fs = font->FontSize;
        const char* label = k.Labels[i].c_str();
        const ImVec2 t = font->CalcTextSizeA(fs, 1e9f, 0, label);
        d->AddText(font, fs, {a.x + (KeyWidth - t.x) / 2, a.y + (RowStep - 3 - fs) / 2},
                   LabelColour(k.LabelColour(i)), label);
    }
    // Hovering a key card greens it; anything else puts the colours back.
    k.Hover(ImGui::IsWindowHovered(ImGuiHoveredFlags_AllowWhenBlockedByActiveItem) ? hovered : -1);

    // The fixed keys, in small print on the right.
    const float helpX = origin.x + KeyX + KeyWidth + 18;
    ImFont* tiny = Gui.Tiny ? Gui.Tiny : ImGui::GetFont();
    float y = origin.y;
    const float line = tiny->FontSize + 2;
    d->AddRectFilled({helpX - 8, origin.y - 4},
                     {origin.x + ImGui::GetContentRegionMax().x - ImGui::GetCursorStartPos().x + 4,
                      origin.y + KeyActionCount * RowStep - 3},
                     IM_COL32(0, 0, 0, 120), 4);
    for (const char* l : KeyDialogHelpLines) {
        d->AddText(tiny, tiny->FontSize, {helpX, y}, IM_COL32(225, 225, 215, 255), l);
        y += line;
    }
    Places["KeyHelp"] = RectOf({helpX, origin.y}, {helpX + 1, y});

    // The buttons along the bottom; they wait while a key is awaited.
    ImGui::SetCursorScreenPos({origin.x, origin.y + KeyActionCount * RowStep + 6});
    ImGui::BeginDisabled(!k.ButtonsEnabled());
    if (ImGui::Button(k.SelectPlayerCaption.c_str(), {120, 0})) k.SelectPlayerClick();
    Place("KeySelectPlayer");
    ImGui::SameLine();
    if (ImGui::Button("Reset to default", {140, 0})) k.ResetClick();
    Place("KeyReset");
    ImGui::SameLine(ImGui::GetContentRegionMax().x - 2 * 90 - 8);
    if (ImGui::Button("OK", {90, 0})) k.OkClick();
    Place("KeyOK");
    ImGui::SameLine();
    if (ImGui::Button("Cancel", {90, 0})) k.CancelClick();
    Place("KeyCancel");
    ImGui::EndDisabled();
    Places["KeyDialog"] = RectOf(ImGui::GetWindowPos(), {ImGui::GetWindowPos().x + size.x,
                                                         ImGui::GetWindowPos().y + size.y});
    // A message over the dialog (OK's checks) is the dialog's own child,
    // over the list of fixed keys: the rows it is about stay in sight.
    const SDL_Rect beside = RectOf({helpX - 8, origin.y}, {ImGui::GetWindowPos().x + size.x - 4,
                                                           origin.y + KeyActionCount * RowStep});
    MessagePopup(&beside);
    if (!k.Visible) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}

bool TStartScreen::Animating(int32_t nowMs) const {
    if (Form.HelpShowAt >= 0 && nowMs - Form.HelpShowAt >= 0) return true;
    if (Form.QuitWhenSeen && Messages.empty()) return true;
    // A held button repeats (the limit's arrows); a drag follows the mouse.
    return Gui.Initialised() && ImGui::IsAnyMouseDown();
}

bool TStartScreen::PreviewDue(int32_t nowMs) const {
    return !Form.OptionsShown && !(Keys && Keys->Visible) && Messages.empty() &&
           nowMs - LastFrameMs >= 40;
}

void TStartScreen::Frame(int32_t nowMs, bool present) {
    const double dt = LastFrameMs < 0 ? 1.0 / 60 : std::max(1, nowMs - LastFrameMs) / 1000.0;
    LastFrameMs = nowMs;
    Places.clear();
    Form.PreviewTimer(nowMs);
    // The boxes and the start buttons follow the table except while a box
    // is dragged; the preview always does.
    Editor.Repaint();
    if (Sprites && Masks) {
        SDL_Renderer* r = Gui.Renderer();
        const int k = std::clamp(Form.EditedSetup, 0, MaxTanks - 1);
        PreviewLook.Update(r, *Sprites, *Masks, Form.G.Start.TankSetups[k]);
        for (int p = 0; p < 2; ++p)
            ButtonLook[p].Update(r, *Sprites, *Masks, Editor.ButtonLooks[p]);
    }
    Gui.NewFrame(StartFormWidth, StartFormHeight, dt);
    // A steady text cursor: a blinking one would redraw the screen forever.
    ImGui::GetIO().ConfigInputTextCursorBlink = false;
    Theme();
    DrawBackground();
    if (Form.OptionsShown) {
        OptionsPanel();
    } else {
        PlayerPanel();
        MatchPanel();
    }
    StartButtons(nowMs);
    BottomButtons();
    HelpAndDebug();
    if (Keys && Keys->Visible)
        KeyDialog();
    else if (Network && Network->Visible)
        NetworkDialog(nowMs);
    else
        MessagePopup();

    // A drag follows the mouse wherever it goes, and ends when no button is
    // held any more, wherever it was let go.
    if (Editor.Dragging()) {
        const ImVec2 m = ImGui::GetIO().MousePos;
        if (ImGui::IsMouseDown(ImGuiMouseButton_Left) || ImGui::IsMouseDown(ImGuiMouseButton_Right))
            Editor.MouseMove(int(std::floor(m.x - DragX)), int(std::floor(m.y - DragY)));
        else
            Editor.MouseUp();
    }

    SDL_Renderer* renderer = Gui.Renderer();
    if (renderer) {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        if (BackgroundTexture) SDL_RenderCopy(renderer, BackgroundTexture, nullptr, nullptr);
    }
    Gui.Render();
    if (renderer && present) SDL_RenderPresent(renderer);

    const TAction action = Pending;
    Pending = TAction::None;
    switch (action) {
    case TAction::Start:
        Form.StartClick(PendingStart);
        break;
    case TAction::Continue:
        Form.ContinueGame();
        break;
    case TAction::Exit:
        Form.Close();
        break;
    case TAction::None:
        break;
    }
    // A save that failed on the way out has been read: now the program ends.
    if (Form.QuitWhenSeen && Messages.empty()) Form.App.Terminate();
    if (Form.KeyDialogRequested) {
        Form.KeyDialogRequested = false;
        if (Keys)
            Keys->Show();
        else
            Messages.push_back("The key configuration dialog is not in this build yet.");
    }
}
