// The picture-adjustment window ("画面调整"): four sliders (brightness,
// contrast, saturation, hue), the renderer choice, four switches, the
// adjustment bar and a live preview of the picture. Every control hands its
// new value to the engine as a configuration item; nothing is stored. Closing
// only hides it: the next open shows the same window with the same values.
#pragma once

#include "CaptionPanel.h"
#include "PictureBox.h"
#include "PlainWindow.h"
#include "PlayerEngine.h"
#include "ScrollBar.h"
#include "Slider.h"
#include "ToggleControls.h"
#include "WindowHost.h"

#include <array>
#include <functional>
#include <string>

namespace corvina {

class PreviewWindow : public PlainWindow {
  public:
    static constexpr int kWidth = 390;
    static constexpr int kHeight = 254;
    static constexpr UINT_PTR kPreviewTimer = 1;
    static constexpr int kPreviewPeriod = 40; // ms: 25 pictures a second
    static constexpr double kPreviewBudget = 0.05; // the share of one core the preview may take
    static constexpr int kSnapshotWidth = 200;
    static constexpr int kSnapshotHeight = 150;
    // Where a control's item goes (the engine's setConfig).
    using SettingSink = std::function<void(int item, const std::string& value)>;

    PreviewWindow(WindowHost& host, const PlayerEngine& engine, SettingSink setting)
        : host_(host), engine_(engine), setting_(std::move(setting)) {}

    // Creates the window (hidden) owned by `owner`, attaches its host and
    // makes its controls; `picture` is the window the preview shows.
    [[nodiscard]] bool load(HWND owner, HWND picture, const std::vector<uint8_t>& frameImage);
    // In the middle of the screen, shown.
    void showCentred();

    // The controls, in creation order.
    std::array<CaptionLabel, 5> captions;
    std::array<Slider, 4> sliders;
    std::array<RadioButton, 5> renderers;
    std::array<CheckBox, 4> switches;
    Panel previewPanel;
    CheckBox livePreview;
    PictureBox preview;
    ScrollBar adjustBar;
    int previewTicks() const { return previewTicks_; }
    // One preview picture now, whatever the pace (while shown, playing and
    // checked, as a tick).
    void previewNow() {
        nextPreviewAt_ = 0;
        previewTick();
    }
    double lastPreviewCostMs() const { return lastPreviewCostMs_; }

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void createControls(Endpoint* host);
    void onRenderer();
    void onSwitch(int tag);
    void previewTick();

    WindowHost& host_;
    const PlayerEngine& engine_;
    SettingSink setting_;
    HWND picture_ = nullptr;
    bool previewing_ = false;
    int previewTicks_ = 0;
    double lastPreviewCostMs_ = 0;
    ULONGLONG nextPreviewAt_ = 0;
};

} // namespace corvina
