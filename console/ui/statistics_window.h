// The loop statistics window: modeless, beside the main window, showing a
// text in a fixed-pitch font in which a Chinese character takes two columns
// (the traffic log's font). What it shows, and when, is the handlers' (the
// window holds no rule of its own); one implementation per toolkit.
#pragma once

#include <memory>
#include <string_view>

class DialogWindow;

class StatisticsWindow {
public:
    virtual ~StatisticsWindow() = default;
    virtual void SetTitle(std::string_view text) = 0;
    // The whole text, lines separated by "\n"; the window grows to show it
    // whole, as far as the screen allows, and scrolls beyond that.
    virtual void SetText(std::string_view text) = 0;
    // Shows the window (again) and brings it to the front; it does not take
    // the user's input away from the main window.
    virtual void Show() = 0;
    // The user may close it at any time; it is shown again by Show.
    virtual bool IsVisible() const = 0;
};

// The toolkit's statistics window, owned by `owner` (it stays in front of it
// and goes with it).
std::unique_ptr<StatisticsWindow> CreateStatisticsWindow(DialogWindow& owner);
