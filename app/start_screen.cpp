#include "app/start_screen.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cmath>

#include "core/colours.h"
#include "platform/keys.h"

namespace {

// Panels and their places on the 661 x 480 screen.
constexpr float Margin = 16;
const ImVec2 PlayerPos{Margin, 74}, PlayerSize{306, 212};
const ImVec2 MatchPos{336, 74}, MatchSize{309, 326};
const ImVec2 StartPos{Margin, 298};
const ImVec2 StartSize{64, 38};
constexpr float StartGap = 4;

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

// A little vehicle seen from above, nose to the right.
void DrawVehicle(ImDrawList* d, ImVec2 c, float s, ImU32 body, ImU32 dark) {
    d->AddRectFilled({c.x - 11 * s, c.y - 8 * s}, {c.x + 11 * s, c.y - 5 * s}, dark, 1);
    d->AddRectFilled({c.x - 11 * s, c.y + 5 * s}, {c.x + 11 * s, c.y + 8 * s}, dark, 1);
    d->AddRectFilled({c.x - 10 * s, c.y - 6 * s}, {c.x + 10 * s, c.y + 6 * s}, body, 2 * s);
    d->AddRectFilled({c.x, c.y - 1.2f * s}, {c.x + 14 * s, c.y + 1.2f * s}, dark);
    d->AddCircleFilled(c, 4.2f * s, dark);
    d->AddCircleFilled(c, 3.0f * s, body);
}

// Two machines joined by a line: a network game.
void DrawNetwork(ImDrawList* d, ImVec2 at, ImU32 col) {
    d->AddLine({at.x, at.y}, {at.x + 12, at.y}, col, 1.5f);
    d->AddRectFilled({at.x - 4, at.y - 3}, {at.x + 1, at.y + 3}, col);
    d->AddRectFilled({at.x + 11, at.y - 3}, {at.x + 16, at.y + 3}, col);
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
}

void TStartScreen::Place(const std::string& name) {
    Places[name] = RectOf(ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
}

void TStartScreen::HandleEvent(const SDL_Event& e) {
    if (e.type == SDL_KEYDOWN && Messages.empty()) {
        TKeyEvent key;
        if (KeyEventFromSdl(e, key) && key.Key != vk::Escape && Form.KeyDown(key.Key)) return;
        // Esc waits for the frame: it must not start the game window from
        // inside the event loop of the screen it hides.
        if (KeyEventFromSdl(e, key) && key.Key == vk::Escape && Form.GameStarted) {
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
    ImDrawList* d = ImGui::GetBackgroundDrawList();
    if (BackgroundTexture)
        d->AddImage(BackgroundTexture, {0, 0}, {float(StartFormWidth), float(StartFormHeight)});
    // The name of the game, with a shadow so it stands out from any sky.
    const ImU32 text = TextColour(Form.Tint);
    ImFont* title = Gui.Title;
    const float size = title ? title->FontSize : 40;
    d->AddText(title, size, {Margin + 2, 14 + 2}, IM_COL32(0, 0, 0, 200), "MOORCLASH");
    d->AddText(title, size, {Margin, 14}, text, "MOORCLASH");
}

void TStartScreen::PlayerPanel() {
    const ImU32 text = TextColour(Form.Tint);
    ImGui::SetNextWindowPos(PlayerPos);
    ImGui::SetNextWindowSize(PlayerSize);
    ImGui::Begin("##player", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
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
    auto label = [&](const char* caption) {
        ImGui::PushStyleColor(ImGuiCol_Text, text);
        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted(caption);
        ImGui::PopStyleColor();
        ImGui::SameLine(labelWidth);
        ImGui::SetNextItemWidth(-1);
    };
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

    label("Vehicle");
    int sort = Form.SortIndex;
    if (ImGui::Combo("##SortBox", &sort, SortNames, 3)) Form.SortChange(sort);
    Place("SortBox");

    label("Paint");
    int pattern = Form.PatternIndex;
    if (ImGui::Combo("##PatternBox", &pattern, PatternNames, 8)) Form.PatternChange(pattern);
    Place("PatternBox");

    // The colours as they are; editing them comes with the appearance editor.
    label("Colours");
    const TTankSetup& setup =
        Form.G.Start.TankSetups[std::clamp(Form.EditedSetup, 0, MaxTanks - 1)];
    ImDrawList* d = ImGui::GetWindowDrawList();
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const float h = ImGui::GetFrameHeight();
    d->AddRectFilled(at, {at.x + 26, at.y + h}, RgbCol(HsbToRgb(setup.Colour1)), 3);
    d->AddRectFilled({at.x + 30, at.y}, {at.x + 56, at.y + h}, RgbCol(HsbToRgb(setup.Colour2)), 3);
    d->AddRect(at, {at.x + 56, at.y + h}, IM_COL32(255, 255, 255, 60), 3);
    ImGui::Dummy(ImVec2(60, h));
    Place("Panel1");
    ImGui::SameLine();
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(ColourName(Form.ColourSelect));
    ImGui::SameLine(width - 70);
    ImGui::BeginDisabled();
    ImGui::Button("Random", ImVec2(78, 0));
    ImGui::EndDisabled();
    Place("Button1");

    if (Form.WeaponVisible()) {
        label("Weapon");
        int weapon = Form.WeaponIndex;
        if (ImGui::Combo("##WeaponBox", &weapon, WeaponNames, 8)) Form.WeaponChange(weapon);
        Place("WeaponBox");
    }
    ImGui::End();
}

void TStartScreen::MatchPanel() {
    const ImU32 text = TextColour(Form.Tint);
    ImGui::SetNextWindowPos(MatchPos);
    ImGui::SetNextWindowSize(MatchSize);
    ImGui::Begin("##match", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
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
    auto label = [&](const char* caption) {
        ImGui::PushStyleColor(ImGuiCol_Text, text);
        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted(caption);
        ImGui::PopStyleColor();
        ImGui::SameLine(labelWidth);
        ImGui::SetNextItemWidth(-1);
    };
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
    // Beside the start buttons, over the player's and the match's panels.
    const float left = StartPos.x + StartSize.x + 10;
    ImGui::SetNextWindowPos({left, PlayerPos.y});
    ImGui::SetNextWindowSize({MatchPos.x + MatchSize.x - left, MatchSize.y});
    ImGui::Begin("##options", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings);
    ImGui::PushStyleColor(ImGuiCol_Text, text);
    const float col2 = 290;
    auto tip = [](const char* hint) {
        if (hint && ImGui::IsItemHovered()) ImGui::SetTooltip("%s", hint);
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

void TStartScreen::StartButtons(int32_t nowMs) {
    const ImU32 text = TextColour(Form.Tint);
    ImGui::SetNextWindowPos(StartPos);
    ImGui::SetNextWindowSize({StartSize.x, 4 * StartSize.y + 3 * StartGap});
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(0, StartGap));
    ImGui::Begin("##start", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBackground);
    const char* ids[] = {"StartBtn", "Start2P", "Start1PN", "Start2PN"};
    int hovered = -1;
    for (int k = 0; k < 4; ++k) {
        ImGui::PushID(k);
        if (ImGui::Button("##go", StartSize)) {
            Pending = TAction::Start;
            PendingStart = TStartKind(k);
        }
        if (ImGui::IsItemHovered()) hovered = k;
        ImGui::PopID();
        Place(ids[k]);
        ImDrawList* d = ImGui::GetWindowDrawList();
        const ImVec2 a = ImGui::GetItemRectMin();
        const bool two = k == startSplitScreen || k == startSplitScreenNetwork;
        const bool net = k >= startNetwork;
        const ImU32 dark = IM_COL32(0, 0, 0, 230);
        const float cx = a.x + (net ? 24 : 32), cy = a.y + StartSize.y / 2;
        if (two) {
            DrawVehicle(d, {cx - 8, cy - 7}, 0.7f, text, dark);
            DrawVehicle(d, {cx + 6, cy + 7}, 0.7f, IM_COL32(240, 240, 230, 255), dark);
        } else {
            DrawVehicle(d, {cx, cy}, 0.9f, text, dark);
        }
        if (net) DrawNetwork(d, {a.x + 44, a.y + 8}, IM_COL32(240, 240, 230, 255));
    }
    ImGui::End();
    ImGui::PopStyleVar(2);
    // Over the background (not a button) the help text goes away.
    if (hovered < 0 && !ImGui::IsAnyItemHovered()) Form.HoverStartButton(-1, nowMs);
    if (hovered >= 0) Form.HoverStartButton(hovered, nowMs);
}

void TStartScreen::BottomButtons() {
    ImGui::SetNextWindowPos({MatchPos.x, 410});
    ImGui::SetNextWindowSize({MatchSize.x, 56});
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 4));
    ImGui::Begin("##bottom", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBackground);
    ImGui::PushFont(Form.OptionsShown ? Gui.Small : Gui.Large);
    if (ImGui::Button(Form.OptionsCaption.c_str(), ImVec2(190, 44))) Form.OptionsBtnClick();
    Place("OptionsBtn");
    ImGui::PopFont();
    ImGui::SameLine(0, 9);
    ImGui::PushFont(Gui.Large);
    if (ImGui::Button("EXIT", ImVec2(110, 44))) Pending = TAction::Exit;
    Place("Button2");
    ImGui::PopFont();
    ImGui::End();
    ImGui::PopStyleVar();
}

void TStartScreen::HelpAndDebug() {
    ImDrawList* d = ImGui::GetForegroundDrawList();
    if (Form.HelpVisible && !Form.OptionsShown && Form.HelpButton >= 0) {
        const float y = StartPos.y + Form.HelpButton * (StartSize.y + StartGap) + StartSize.y / 2;
        ImFont* font = Gui.Normal;
        const float size = font ? font->FontSize : 15;
        const ImVec2 t = ImGui::CalcTextSize(Form.HelpText.c_str());
        const ImVec2 at{StartPos.x + StartSize.x + 12, y - size / 2};
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
        ImGui::Begin("##DebugList", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                         ImGuiWindowFlags_NoSavedSettings);
        ImGui::PushFont(Gui.Normal);
        for (const std::string& line : Form.DebugList)
            ImGui::TextUnformatted(line.c_str());
        if (ImGui::GetScrollY() >= ImGui::GetScrollMaxY()) ImGui::SetScrollHereY(1.0f);
        ImGui::PopFont();
        ImGui::End();
    }
}

void TStartScreen::MessagePopup() {
    if (Messages.empty()) return;
    if (!ImGui::IsPopupOpen("Moorclash##message")) ImGui::OpenPopup("Moorclash##message");
    ImGui::SetNextWindowPos({StartFormWidth / 2.0f, StartFormHeight / 2.0f}, ImGuiCond_Always,
                            {0.5f, 0.5f});
    ImGui::SetNextWindowSizeConstraints({260, 0}, {560, 400});
    if (ImGui::BeginPopupModal("Moorclash##message", nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove)) {
        ImGui::PushTextWrapPos(540);
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

void TStartScreen::Frame(int32_t nowMs, bool present) {
    const double dt = LastFrameMs < 0 ? 1.0 / 60 : std::max(1, nowMs - LastFrameMs) / 1000.0;
    LastFrameMs = nowMs;
    Places.clear();
    Form.PreviewTimer(nowMs);
    Gui.NewFrame(StartFormWidth, StartFormHeight, dt);
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
    MessagePopup();

    SDL_Renderer* renderer = Gui.Renderer();
    if (renderer) {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
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
    if (Form.KeyDialogRequested) {
        // The key dialog comes with the key settings; until then, say so.
        Form.KeyDialogRequested = false;
        Messages.push_back("The key configuration dialog is not in this build yet.");
    }
}
