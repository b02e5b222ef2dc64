#pragma once
// Water-level simulation (水位変化シミュレーション, window 285): the water level the
// painter draws, moved step by step from a start level to an end level on a timer. The
// water values are the colour-band parameters' water fields (g_colorBandParams).
#include <cstdint>
#include <functional>
#include <string>

class CWaterSM {
public:
    // The opening: the point elevation range, defaults for unset levels, the water and
    // colour-band display on. Becomes g_waterDlg.
    CWaterSM();
    // The closing: the timer stops and the water display goes off.
    ~CWaterSM();
    CWaterSM(const CWaterSM&) = delete;
    CWaterSM& operator=(const CWaterSM&) = delete;

    // Set by the window.
    std::function<void()> repaintWindow;
    std::function<void()> repaintView;            // synchronous, with g_redrawMask -1
    std::function<void(int32_t ms)> startTimer;   // timer 111
    std::function<void()> stopTimer;
    std::function<void()> closeWindow;

    bool Running() const { return m_running; }
    // Start (the level goes to the start level) or End.
    void OnStartStop();
    // One timer tick: the current level is shown, then the next one taken or the run ends.
    void OnTimer();
    void OnReverse();  // 反転

    // Edit ids: 1282 level, 1269 start, 1270 end, 1285 step, 1286 interval.
    void EditLeft(int control, const std::string& text);
    std::string FieldText(int control) const;
    void SetAboveHoles(bool checked);  // 中抜き上
    void SetTransparent(bool checked);  // 透過
    void SetColor(uint32_t rgb);        // 0x00RRGGBB
    // The window's own text of the level: "%10.3fm".
    std::string LevelBanner() const;

private:
    void Stop();
    bool m_running = false;
};
extern CWaterSM* g_waterDlg;

void SetWaterWindowFactory(std::function<void()> open);
// 水位変化シミュレーション: closes the window when open, else clears the tool mode and
// opens it.
void OnWaterLevelSimulation();
