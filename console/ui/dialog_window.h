// The dialog window as the console's handlers see it: the operations of a
// dialog made from a control template, with every control known by its
// template ID. One implementation per toolkit (qt/ on Linux, win32/ on
// Windows) makes the window and its controls and reports what the user does;
// none of them holds any of the console's own rules, which live in the
// handlers (MainDialog) and are written once for every toolkit.
//
// Texts cross this interface as UTF-8. Rectangles are pixels: a control's in
// the client coordinates of the window, the window's own (its frame) in screen
// coordinates. Every operation runs on the window thread, except Wake().
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control_template.h"

class LogView;

struct PixelRect {
    int x = 0, y = 0, w = 0, h = 0;
    int Bottom() const { return y + h; }
    bool operator==(const PixelRect&) const = default;
};

struct RgbColour {
    unsigned char r = 0, g = 0, b = 0;
    bool operator==(const RgbColour&) const = default;
};

// Notifications of a control other than a click.
enum class DialogNotification {
    kTabSelectionChanged,  // a tab control's selected tab changed (by the user)
    kEditChanged,          // the user changed the text in a combo box's edit
};

// A key the handlers look at before the control that has the focus gets it.
enum class DialogKey { kEnter, kOther };

// Entries the window adds to its system menu (or wherever the desktop lets a
// user find them); an entry without text is a separator.
struct MenuEntry {
    int command;
    std::string text;
};

// What the window reports to its handlers; it calls them on the window thread.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    // A click on a push button, radio button or check box, a menu command, or
    // a command posted with PostCommand. Escape and the close box give the
    // cancel command (2), Enter without a default button the OK command (1).
    virtual void OnCommand(int id) = 0;
    virtual void OnNotify(int id, DialogNotification notification) = 0;
    // An entry of the system menu that the handlers added.
    virtual void OnSysCommand(int command) = 0;
    // A key pressed while control `focusId` has the focus; true when the
    // handlers took it, and the control then never sees it.
    virtual bool PreTranslateKeyDown(int focusId, DialogKey key) = 0;
    // The background of enabled control `id`, or none for the toolkit's own.
    virtual std::optional<RgbColour> ControlColour(int id) = 0;
    // Another thread called Wake().
    virtual void OnWake() = 0;
    // The desktop session is ending (log-out, shutdown, SIGTERM, SIGHUP or SIGINT to
    // the process). `ending` true: it ends for certain, and the window closes
    // as by its close box, with the same saving, once; a running loop is
    // stopped first and no message box is shown. The toolkit then ends any box
    // still open on top of the window, so that the program can end. `ending`
    // false: the session may still go on (the desktop asks first); the same
    // saving is done, nothing else changes, and a later close saves again.
    virtual void OnEndSession(bool ending) = 0;
    // Timer `id` of StartTimer has come due.
    virtual void OnTimer(int id) { static_cast<void>(id); }
};

class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    // The window itself.
    virtual void SetTitle(std::string_view text) = 0;
    virtual void SetProgramIcon() = 0;
    virtual PixelRect GetWindowRect() const = 0;
    virtual void MoveWindow(const PixelRect& frame) = 0;
    virtual void AppendSystemMenu(const std::vector<MenuEntry>& entries) = 0;

    // Any control.
    virtual std::string GetItemText(int id) const = 0;
    virtual void SetItemText(int id, std::string_view text) = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    virtual bool IsItemEnabled(int id) const = 0;
    virtual void ShowItem(int id, bool show) = 0;
    virtual bool IsItemVisible(int id) const = 0;
    virtual PixelRect GetItemRect(int id) const = 0;
    virtual void MoveItem(int id, const PixelRect& rect) = 0;
    virtual void SetFocus(int id) = 0;
    // Selects all of an edit's text.
    virtual void SelectAllText(int id) = 0;
    // The control with the focus, or kNoId.
    virtual int GetFocusId() const = 0;

    // Check boxes and radio buttons.
    virtual bool IsChecked(int id) const = 0;
    virtual void SetCheck(int id, bool checked) = 0;

    // Edits. The limit stops the user's typing and pasting at `characters`
    // (0: the control's own maximum) and never cuts text the program puts in.
    virtual void LimitText(int id, std::size_t characters) = 0;
    // A hex edit's filter: typed text is kept to hexadecimal digits.
    virtual void SetHexFilter(int id, bool on) = 0;
    // A multi-line edit as the traffic log.
    virtual LogView& LogOf(int id) = 0;

    // Combo boxes: the list and its selection; GetItemText gives the edit's text.
    virtual void ResetContent(int id) = 0;
    // Appends an entry; `detail`, if any, stands beside it in the dropped list
    // only (the edit shows `text`, and GetItemText reads it).
    virtual void AddString(int id, std::string_view text, std::string_view detail) = 0;
    void AddString(int id, std::string_view text) { AddString(id, text, {}); }
    virtual int GetCount(int id) const = 0;
    // Selects entry `index` and shows it in the edit; -1 selects none.
    virtual void SetCurSel(int id, int index) = 0;

    // The tab control.
    virtual void InsertTab(int id, std::string_view text) = 0;
    virtual int GetCurTab(int id) const = 0;
    // Selects a tab without a notification.
    virtual void SetCurTab(int id, int index) = 0;

    // A modal message box with an OK button and no icon, captioned with the
    // program's name.
    virtual void MessageBox(std::string_view text) = 0;
    // The About box (template 100), modal.
    virtual void ShowAboutBox() = 0;
    // Starts the desktop's calculator; failure is ignored.
    virtual void StartCalculator() = 0;

    // Queues the command `id`; it reaches OnCommand once the current message
    // has been handled.
    virtual void PostCommand(int id) = 0;
    // Shows the window and runs it modally until EndDialog; the result given to it.
    virtual int RunModal() = 0;
    // Shows the window without a modal loop of its own.
    virtual void Show() = 0;
    // Ends the modal loop (and hides the window) with `result`.
    virtual void EndDialog(int result) = 0;
    // The program's quit request: calls `quit` once the current handler and
    // every message box on top of the window are done.
    virtual void PostQuit(std::function<void()> quit) = 0;
    // May be called from any thread: OnWake then runs on the window thread.
    virtual void Wake() = 0;

    // Changes the text of an entry that AppendSystemMenu added (the system
    // menu's ModifyMenu); an unknown command changes nothing.
    virtual void SetSystemMenuText(int command, std::string_view text) = 0;
    // The platform's modal file picker for a file to write (GetSaveFileName):
    // titled `caption`, offering `suggestedName` in the picker's usual folder,
    // asking before it lets the user replace a file. The chosen path (UTF-8),
    // or none when the user cancelled.
    virtual std::optional<std::string> GetSaveFileName(std::string_view caption,
                                                       std::string_view suggestedName) = 0;
    // Timer `id` calls OnTimer(id) every `milliseconds` until StopTimer(id)
    // (SetTimer/KillTimer); starting a running timer starts it anew.
    virtual void StartTimer(int id, unsigned milliseconds) = 0;
    virtual void StopTimer(int id) = 0;
};

// The toolkit's window for `dialogTemplate`, reporting to `handler`.
std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                 DialogHandler& handler);
