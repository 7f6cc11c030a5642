// The dialog window on Qt 6 Widgets: one widget per control of the template,
// found by its ID, and the user's clicks, keys and notifications handed to
// the handlers.
#pragma once

#include <QDialog>
#include <map>
#include <memory>

#include "dialog_builder.h"
#include "dialog_window.h"

class LogEditView;
class SessionEndWatcher;
class QTimer;
class WindowWaker;

class QtDialogWindow : public QDialog, public DialogWindow {
public:
    QtDialogWindow(const DialogTemplate& dialogTemplate, DialogHandler& handler);
    ~QtDialogWindow() override;

    // The widget of control `id`, or null.
    QWidget* GetDlgItem(int id) const { return m_controls.Find(id); }
    template <class Control>
    Control* Item(int id) const
    {
        return static_cast<Control*>(m_controls.Find(id));
    }

    void SetTitle(std::string_view text) override;
    void SetProgramIcon() override;
    PixelRect GetWindowRect() const override;
    void MoveWindow(const PixelRect& frame) override;
    void AppendSystemMenu(const std::vector<MenuEntry>& entries) override;

    std::string GetItemText(int id) const override;
    void SetItemText(int id, std::string_view text) override;
    void EnableItem(int id, bool enable) override;
    bool IsItemEnabled(int id) const override;
    void ShowItem(int id, bool show) override;
    bool IsItemVisible(int id) const override;
    PixelRect GetItemRect(int id) const override;
    void MoveItem(int id, const PixelRect& rect) override;
    void SetFocus(int id) override;
    void SelectAllText(int id) override;
    int GetFocusId() const override;

    bool IsChecked(int id) const override;
    void SetCheck(int id, bool checked) override;

    void LimitText(int id, std::size_t characters) override;
    void SetHexFilter(int id, bool on) override;
    LogView& LogOf(int id) override;

    void ResetContent(int id) override;
    void AddString(int id, std::string_view text, std::string_view detail) override;
    int GetCount(int id) const override;
    void SetCurSel(int id, int index) override;

    void InsertTab(int id, std::string_view text) override;
    int GetCurTab(int id) const override;
    void SetCurTab(int id, int index) override;

    void MessageBox(std::string_view text) override;
    void ShowAboutBox() override;
    void StartCalculator() override;

    void PostCommand(int id) override;
    int RunModal() override;
    void Show() override;
    void EndDialog(int result) override;
    void PostQuit(std::function<void()> quit) override;
    void Wake() override;

    void SetSystemMenuText(int command, std::string_view text) override;
    std::optional<std::string> GetSaveFileName(std::string_view caption,
                                               std::string_view suggestedName) override;
    void StartTimer(int id, unsigned milliseconds) override;
    void StopTimer(int id) override;

    // The dialog's OK command (Enter without a default button) and its cancel
    // command (Escape, the close box) go to the handlers.
    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyControlColours();
    void QuitWhenNothingIsOnTop(std::function<void()> quit);
    // The session ends: the handlers close the window, then the boxes still
    // open on top of it are ended, so that their loops give way.
    void EndSession();
    void EndBoxesOnTop();

    DialogHandler& m_handler;
    DialogControls m_controls;
    std::unique_ptr<LogEditView> m_log;
    std::unique_ptr<WindowWaker> m_waker;
    std::unique_ptr<SessionEndWatcher> m_sessionEnd;
    bool m_bColoured = false;
    bool m_bEnded = false;  // EndDialog came before (or during) the modal run
    std::vector<MenuEntry> m_menuEntries;  // the context menu's, as it shows them
    std::map<int, std::unique_ptr<QTimer>> m_timers;
};
