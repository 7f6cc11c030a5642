// The send pane's rows: how many are shown, where they stand, their colours.
#include "main_dialog.h"

namespace {

constexpr RgbColour kOddRowColour{200, 250, 250};   // rows 1, 3, 5, 7, 9: light cyan
constexpr RgbColour kEvenRowColour{250, 250, 200};  // rows 2, 4, 6, 8, 10: light yellow

}  // namespace

void MainDialog::LayoutRows(int n)
{
    DialogWindow& window = *m_window;
    const PixelRect command = window.GetItemRect(CommandId(0));
    const int pitch = command.h + 4;
    const int delta = pitch * (n - m_nRowCount);
    m_nRowCount = n;

    auto stretched = [delta](PixelRect rect) {
        rect.h += delta;
        return rect;
    };
    auto shift = [&window, delta](int id) {
        PixelRect rect = window.GetItemRect(id);
        rect.y += delta;
        window.MoveItem(id, rect);
    };

    window.MoveItem(1061, stretched(window.GetItemRect(1061)));
    window.MoveWindow(stretched(window.GetWindowRect()));
    window.MoveItem(1057, stretched(window.GetItemRect(1057)));
    for (auto columnId : {AddressId, CommandId, TimeoutId, SendId, LoopCheckId}) {
        const PixelRect first = window.GetItemRect(columnId(0));
        for (int row = 1; row < kRows; ++row) {
            PixelRect placed = first;
            placed.y += row * pitch;
            window.MoveItem(columnId(row), placed);
        }
    }
    for (int id : {1001, 1013, 1002, 1056, 1059, 1014})
        shift(id);

    for (int row = 0; row < kRows; ++row) {
        for (auto columnId : {AddressId, CommandId, TimeoutId, SendId, LoopCheckId})
            window.ShowItem(columnId(row), row < n);
    }
}

void MainDialog::OnAddRow()
{
    if (m_nRowCount < kRows) LayoutRows(m_nRowCount + 1);
    if (m_nRowCount == kRows) m_window->EnableItem(1001, false);
    if (m_nRowCount == 2) m_window->EnableItem(1013, true);
}

void MainDialog::OnRemoveRow()
{
    if (m_nRowCount > 1) LayoutRows(m_nRowCount - 1);
    if (m_nRowCount == 1) m_window->EnableItem(1013, false);
    if (m_nRowCount == kRows - 1) m_window->EnableItem(1001, true);
}

void MainDialog::ShowRowsDownTo(int row)
{
    while (m_nRowCount <= row && m_nRowCount < kRows)
        OnAddRow();
}

// The address, command and time-out edits take their row's colour; a
// disabled edit keeps the toolkit's own look.
std::optional<RgbColour> MainDialog::ControlColour(int id)
{
    if (id < AddressId(0) || id > TimeoutId(kRows - 1)) return std::nullopt;
    return id % 2 == 0 ? kOddRowColour : kEvenRowColour;
}
